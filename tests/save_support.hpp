// For the tests of SAVE and LOAD on every platform and the loader's fuzz
// target: the files of a folder, and two games compared in what a saved game
// holds.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/state.hpp"
#include "core/world.hpp"

// The first difference between two games in anything LOAD sets, or "".
inline std::string savedDifference(const GameState& a, const GameState& b) {
  for (int room = 0; room <= ROOM_COUNT; ++room) {
    for (int column = 0; column < DIRECTION_COUNT; ++column) {
      if (a.exits[room][column] != b.exits[room][column]) {
        return "exit " + std::to_string(room) + "/" + std::to_string(column + 1);
      }
    }
  }
  for (int object = 0; object < OBJECT_COUNT; ++object) {
    if (a.objectLocation[object] != b.objectLocation[object]) {
      return "location of " + std::to_string(object);
    }
  }
  for (int object = 1; object < OBJECT_COUNT; ++object) {
    if (std::strcmp(a.objectName[object], b.objectName[object]) != 0) {
      return "name of " + std::to_string(object) + ": '" + a.objectName[object] + "' / '" +
             b.objectName[object] + "'";
    }
  }
  const std::int32_t GameState::*const fields[] = {
      &GameState::currentRoom, &GameState::matchesLeft,  &GameState::turn,
      &GameState::chestLocked, &GameState::chestClosed,  &GameState::scubaAir,
      &GameState::scubaOn,     &GameState::carriedCount, &GameState::matchLit,
      &GameState::matchTurns,  &GameState::torchLit,     &GameState::torchFuel,
      &GameState::birdSeen,    &GameState::gameOver,     &GameState::visionStage};
  for (std::size_t at = 0; at < std::size(fields); ++at) {
    if (a.*fields[at] != b.*fields[at]) {
      return "counter " + std::to_string(at) + ": " + std::to_string(a.*fields[at]) + " / " +
             std::to_string(b.*fields[at]);
    }
  }
  return "";
}

// The same game to the byte, the fields no file holds included.
inline bool sameBytes(const GameState& a, const GameState& b) {
  return std::memcmp(&a, &b, sizeof(GameState)) == 0;
}

inline std::string readFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void writeFile(const std::string& name, const std::string& text) {
  std::ofstream file(name, std::ios::binary | std::ios::trunc);
  file << text;
}

// The names in the working folder, in order.
inline std::vector<std::string> folderEntries() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}
