// Sequence file reader: every access is bounds-checked against the byte string, so truncated
// or garbage files yield problems, never reads beyond the data.
#include "output/SequenceFile.h"

#include <algorithm>

namespace lumivox {

namespace {

constexpr qsizetype LengthOffset = SequencePrefixSize;
constexpr qsizetype ResolutionOffset = LengthOffset + 2;
constexpr qsizetype HeaderFieldsEnd = ResolutionOffset + 1;

std::uint8_t ByteAt(const QByteArray& bytes, qsizetype offset) {
    return static_cast<std::uint8_t>(bytes[offset]);
}

// Reports the first byte in [begin, end) that differs from `expected` and how many do.
void CheckFill(const QByteArray& bytes, qsizetype begin, qsizetype end, char expected,
               SequenceProblem kind, const char* what, TSequenceFileInfo& info) {
    end = std::min(end, bytes.size());
    qsizetype first = -1;
    qsizetype count = 0;
    for (qsizetype offset = begin; offset < end; ++offset) {
        if (bytes[offset] == expected)
            continue;
        if (first < 0)
            first = offset;
        ++count;
    }
    if (first < 0)
        return;
    info.Problems.push_back({kind, first,
                             QStringLiteral("%1 byte(s) %2, the first at offset %3 (0x%4)")
                                 .arg(count)
                                 .arg(QLatin1String(what))
                                 .arg(first)
                                 .arg(ByteAt(bytes, first), 2, 16, QLatin1Char('0'))});
}

} // namespace

bool TSequenceFileInfo::HasProblem(SequenceProblem kind) const {
    return std::any_of(Problems.begin(), Problems.end(),
                       [kind](const TSequenceIssue& issue) { return issue.Kind == kind; });
}

int SequenceResolutionMs(std::uint8_t code) {
    switch (code) {
    case 1:
        return 100;
    case 2:
        return 250;
    case 3:
        return 500;
    case 4:
        return 1000;
    default:
        return 0;
    }
}

TSequenceFileInfo ParseSequenceFile(const QByteArray& bytes) {
    TSequenceFileInfo info;
    const qsizetype size = bytes.size();
    info.FileSize = size;
    if (size != SequenceFileSize)
        info.Problems.push_back(
            {SequenceProblem::WrongFileSize, std::min<qsizetype>(size, SequenceFileSize),
             QStringLiteral("file is %1 bytes instead of %2").arg(size).arg(SequenceFileSize)});

    const qsizetype prefixEnd = std::min<qsizetype>(size, SequencePrefixSize);
    info.PrefixIsSpaces =
        size >= SequencePrefixSize && std::all_of(bytes.begin(), bytes.begin() + prefixEnd,
                                                  [](char byte) { return byte == ' '; });
    CheckFill(bytes, 0, SequencePrefixSize, ' ', SequenceProblem::HeaderNotSpaces,
              "in the header prefix are not spaces", info);
    if (size < HeaderFieldsEnd) {
        info.Problems.push_back(
            {SequenceProblem::HeaderTruncated, size,
             QStringLiteral("file ends at %1, before the header fields").arg(size)});
        return info;
    }

    info.LengthField = static_cast<std::uint16_t>(ByteAt(bytes, LengthOffset) << 8 |
                                                  ByteAt(bytes, LengthOffset + 1));
    info.ResolutionCode = ByteAt(bytes, ResolutionOffset);
    info.ResolutionMs = SequenceResolutionMs(info.ResolutionCode);
    if (info.ResolutionMs == 0)
        info.Problems.push_back(
            {SequenceProblem::UnknownResolution, ResolutionOffset,
             QStringLiteral("resolution code %1 is not 1 to 4").arg(info.ResolutionCode)});
    CheckFill(bytes, HeaderFieldsEnd, SequenceHeaderSize, ' ', SequenceProblem::HeaderNotSpaces,
              "after the header fields are not spaces", info);

    // Frames: from the event area for the declared length, never past the end of the data.
    const qsizetype declaredEnd = SequenceHeaderSize + info.LengthField;
    const qsizetype dataEnd = std::min(declaredEnd, size);
    qsizetype offset = SequenceHeaderSize;
    bool cut = false;
    while (offset < dataEnd) {
        const qsizetype available = size - offset;
        const qsizetype count = available >= 3 ? ByteAt(bytes, offset + 2) : 0;
        const qsizetype recordSize = 3 + 2 * count;
        if (available < recordSize) {
            info.Problems.push_back(
                {SequenceProblem::FrameRunsPastEnd, offset,
                 QStringLiteral("frame at offset %1 needs %2 bytes but the file ends after %3")
                     .arg(offset)
                     .arg(available >= 3 ? recordSize : 3)
                     .arg(available)});
            cut = true;
            break;
        }
        TSequenceFrame& frame = info.Frames.emplace_back();
        frame.Offset = offset;
        frame.Slot =
            static_cast<std::uint16_t>(ByteAt(bytes, offset) << 8 | ByteAt(bytes, offset + 1));
        frame.Entries.reserve(static_cast<std::size_t>(count));
        for (qsizetype i = 0; i < count; ++i)
            frame.Entries.push_back(
                {ByteAt(bytes, offset + 3 + 2 * i), ByteAt(bytes, offset + 4 + 2 * i)});
        if (offset + recordSize > declaredEnd)
            info.Problems.push_back(
                {SequenceProblem::FrameRunsPastLength, offset,
                 QStringLiteral("frame at offset %1 ends at %2, beyond the declared end %3")
                     .arg(offset)
                     .arg(offset + recordSize)
                     .arg(declaredEnd)});
        offset += recordSize;
    }
    info.ParsedLength = offset - SequenceHeaderSize;

    if (info.ParsedLength != info.LengthField)
        info.Problems.push_back({SequenceProblem::LengthMismatch, LengthOffset,
                                 QStringLiteral("length field says %1 bytes, frames parsed take %2")
                                     .arg(info.LengthField)
                                     .arg(info.ParsedLength)});
    // A cut frame runs to the end of the file; there is nothing after it to check.
    if (!cut)
        CheckFill(bytes, offset, size, '\0', SequenceProblem::NonZeroAfterFrames,
                  "after the frames are not zero", info);
    return info;
}

} // namespace lumivox
