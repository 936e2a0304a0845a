// Reading a sequence file back: header fields, frames and the problems found, for inspecting
// exported files. Reads any byte string safely, however malformed.
#pragma once

#include "output/SequenceExport.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace lumivox {

enum class SequenceProblem {
    WrongFileSize,       // the file is not 65,536 bytes long
    HeaderTruncated,     // the file ends before the length field and resolution byte
    HeaderNotSpaces,     // a header byte other than the length and resolution is not 0x20
    UnknownResolution,   // the resolution byte is not 1 to 4
    LengthMismatch,      // the length field differs from the frame bytes parsed
    FrameRunsPastEnd,    // a frame is cut by the end of the file
    FrameRunsPastLength, // a frame goes beyond the length the header declares
    NonZeroAfterFrames,  // a byte after the last frame is not 0x00
};

struct TSequenceIssue {
    SequenceProblem Kind;
    qsizetype Offset = 0; // file offset the problem starts at
    QString Text;         // English description with the numbers involved
};

struct TSequenceFrame {
    qsizetype Offset = 0; // file offset of the frame record
    std::uint16_t Slot = 0;
    std::vector<TCntTrameData> Entries;
};

struct TSequenceFileInfo {
    qsizetype FileSize = 0;
    bool PrefixIsSpaces = false; // the first 32 bytes are all 0x20
    std::uint16_t LengthField = 0;
    std::uint8_t ResolutionCode = 0;
    int ResolutionMs = 0; // 100, 250, 500, 1000 for codes 1 to 4; 0 otherwise
    std::vector<TSequenceFrame> Frames;
    qsizetype ParsedLength = 0; // bytes of the frames parsed
    std::vector<TSequenceIssue> Problems;

    bool HasProblem(SequenceProblem kind) const;
};

// Milliseconds per slot a resolution byte stands for; 0 for an unknown code.
int SequenceResolutionMs(std::uint8_t code);

// Parses the header and the frames from offset 32,768 for as many bytes as the length field
// gives, stopping at the end of the file, and lists every deviation from a valid file.
TSequenceFileInfo ParseSequenceFile(const QByteArray& bytes);

} // namespace lumivox
