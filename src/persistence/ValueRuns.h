// The fast paths of TextLineReader::ReadByteRun through a run of value lines (one to three
// digits ended by CR LF or LF). Each reads from `position`, a line's start, and stops at the
// start of the first line of any other form, leaving `position` there and `lineNumber` at the
// last line read; the values go to `out` as their low byte while there is room in `capacity`,
// the others are only counted.
#pragma once

#include "persistence/TextLines.h"

#include <cstddef>
#include <cstdint>

namespace lumivox {

// 64 bytes at a time on the widest path allowed (see NarrowByteRunPath), each block checked as
// a whole; a block holding anything else is left from the start of its line. Reads nothing on
// the eight-byte path. Returns the lines read.
std::size_t ReadValueBlocks(const char* data, std::size_t size, std::size_t& position,
                            int& lineNumber, std::uint8_t* out, std::size_t capacity);
// Eight bytes at a time, while at least 16 bytes are left; `count` lines were read before.
// Returns the lines read, those before included.
std::size_t ReadValueWords(const char* data, std::size_t size, std::size_t& position,
                           int& lineNumber, std::uint8_t* out, std::size_t capacity,
                           std::size_t count);

} // namespace lumivox
