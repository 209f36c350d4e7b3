// Reading the player's commands and the answers to follow-up questions.
#pragma once

inline constexpr int LINE_CAPACITY = 80;  // at most 79 characters are kept

extern char inputLine[LINE_CAPACITY];
extern char answerLine[LINE_CAPACITY];

// Prompts, reads one command line and sets verb, noun and commandRejected.
void readCommand();

// Reads a one-word answer into answerLine, upper-cased and not trimmed.
// False when the input has ended; the caller then stops at once.
bool readAnswer();

// True when the answer's first characters are exactly these letters.
bool answerBegins(const char* letters);

// The number of a word in a table of short words (1..last), or 0.
int findWord(const char* const* words, int last, const char* word);
