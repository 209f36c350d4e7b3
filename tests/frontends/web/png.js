// Reads a PNG of 8 bits a channel, RGB or RGBA, not interlaced, as the
// browsers' screenshots are: its size, and the colour of a pixel.
'use strict';
const zlib = require('zlib');

function readPng(bytes) {
  let width = 0, height = 0, depth = 0, colourType = 0, interlace = 0;
  const compressed = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const data = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      [width, height] = [data.readUInt32BE(0), data.readUInt32BE(4)];
      [depth, colourType, interlace] = [data[8], data[9], data[12]];
    } else if (type === 'IDAT') {
      compressed.push(data);
    }
    at += 12 + length;
  }
  if (depth !== 8 || interlace !== 0 || (colourType !== 2 && colourType !== 6)) {
    throw new Error(`a PNG of depth ${depth}, colour type ${colourType}, interlace ${interlace}`);
  }
  const channels = colourType === 6 ? 4 : 3;
  const stride = width * channels;
  const raw = zlib.inflateSync(Buffer.concat(compressed));
  const pixels = Buffer.alloc(height * stride);
  // Each row is filtered against the one above and the pixel to its left.
  for (let y = 0; y < height; y += 1) {
    const filter = raw[y * (stride + 1)];
    const row = y * stride;
    for (let i = 0; i < stride; i += 1) {
      const left = i >= channels ? pixels[row + i - channels] : 0;
      const up = y > 0 ? pixels[row - stride + i] : 0;
      const upLeft = y > 0 && i >= channels ? pixels[row - stride + i - channels] : 0;
      let value = raw[y * (stride + 1) + 1 + i];
      if (filter === 1) value += left;
      else if (filter === 2) value += up;
      else if (filter === 3) value += (left + up) >> 1;
      else if (filter === 4) {
        const guess = left + up - upLeft;
        const [toLeft, toUp, toUpLeft] = [Math.abs(guess - left), Math.abs(guess - up), Math.abs(guess - upLeft)];
        value += toLeft <= toUp && toLeft <= toUpLeft ? left : toUp <= toUpLeft ? up : upLeft;
      }
      pixels[row + i] = value & 0xff;
    }
  }
  return {
    width,
    height,
    pixel: (x, y) => [...pixels.subarray(y * stride + x * channels, y * stride + x * channels + 3)],
  };
}

module.exports = { readPng };
