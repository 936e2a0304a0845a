// Project file reading and writing. The reader validates everything it takes from the file
// against the model's limits and refuses, naming the file and line, anything it cannot hold.
#include "persistence/ProjectFile.h"

#include "core/TimeText.h"
#include "model/TrackRules.h"
#include "persistence/MarksFile.h"
#include "persistence/ProjectWriter.h"
#include "persistence/TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <cstdio>

namespace lumivox {

namespace {

constexpr int OldVersionValueLines = MaxSlotCount;

bool ParseBool(std::string_view line) {
    return line == "Yes";
}

// Thrown inside a reading to refuse the file; caught at the reading's edge.
struct Refusal {
    QString Message;
};

// For its scope, tracks added to the document are made without values: SlotCount reads 0.
class TEmptyTracks {
public:
    explicit TEmptyTracks(ShowDocument& document)
        : Doc(document), SlotCount(std::exchange(document.SlotCount, 0)) {}
    ~TEmptyTracks() { Doc.SlotCount = SlotCount; }
    TEmptyTracks(const TEmptyTracks&) = delete;
    TEmptyTracks& operator=(const TEmptyTracks&) = delete;

private:
    ShowDocument& Doc;
    int SlotCount;
};

// A track's value block found but not yet parsed: its lines up to the separator.
struct TDeferredBlock {
    std::string_view Lines;
    TFullTrack* Track = nullptr;
    std::size_t Count = 0; // value lines it held, once parsed
};

// Passes over the value block that starts at the reader's place and over its separator
// line, and returns the block's lines. A value line holds no '*', so the block ends at the
// first one; anything but a whole separator line there is refused (without a line number,
// which a reading of every line then gives).
std::string_view SkipValueBlock(TextLineReader& reader) {
    const std::string_view text = reader.Whole();
    const std::size_t start = reader.Offset();
    const auto* star = static_cast<const char*>(
        std::memchr(text.data() + start, SectionSeparator.front(), text.size() - start));
    if (star == nullptr)
        throw Refusal{};
    const auto end = static_cast<std::size_t>(star - text.data());
    if (end != start && text[end - 1] != '\n')
        throw Refusal{};
    reader.SkipTo(end);
    if (reader.NextRaw() != SectionSeparator)
        throw Refusal{};
    return text.substr(start, end - start);
}

// Parses the blocks into new values of their tracks (values 1 .. slotCount - 1; the last
// byte is storage only), each block's count kept, on up to four threads when there is enough to
// parse: each block writes its own track only. False when a block holds a line that is not a
// number; the tracks may then hold part of their values.
bool ParseValueBlocks(std::vector<TDeferredBlock>& blocks, int slotCount) {
    std::size_t bytes = 0;
    for (const TDeferredBlock& block : blocks)
        bytes += block.Lines.size();
    const unsigned helpers = ThreadsForBytes(bytes, std::size_t{1} << 20) - 1;

    const auto capacity = static_cast<std::size_t>(std::max(slotCount - 1, 0));
    std::atomic<std::size_t> next{0};
    std::atomic<bool> whole{true};
    std::mutex failureLock;
    std::exception_ptr failure;
    auto work = [&] {
        std::vector<std::uint8_t> values(capacity);
        try {
            for (std::size_t i = next++; i < blocks.size(); i = next++) {
                TDeferredBlock& block = blocks[i];
                TextLineReader lines(block.Lines, true);
                block.Count = lines.ReadByteRun(values.data(), capacity);
                if (!lines.AtEnd()) {
                    whole = false;
                    next = blocks.size();
                    return;
                }
                // The track's values are made here, on this thread, from those read; the
                // slots after them hold 0.
                block.Track->Values = TSlotValues(
                    slotCount, values.data(), static_cast<int>(std::min(block.Count, capacity)));
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureLock);
            if (!failure)
                failure = std::current_exception();
            next = blocks.size();
        }
    };
    {
        std::vector<std::jthread> threads;
        threads.reserve(helpers);
        for (unsigned h = 0; h < helpers; ++h)
            threads.emplace_back(work);
        work();
    }
    if (failure)
        std::rethrow_exception(failure);
    return whole;
}

// The track blocks in what follows the track count: each ends with a separator line, which no
// other line of a block can be (a value line holds no '*'). `cutShort` tells whether anything
// but blank lines follows the last separator: a block that was cut short.
struct TBlockCount {
    int Blocks = 0;
    bool CutShort = false;
};

TBlockCount CountTrackBlocks(std::string_view text) {
    TBlockCount count;
    std::size_t at = 0;
    std::size_t afterLast = 0;
    while (at < text.size()) {
        const auto* star =
            static_cast<const char*>(std::memchr(text.data() + at, '*', text.size() - at));
        if (star == nullptr)
            break;
        const auto start = static_cast<std::size_t>(star - text.data());
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if ((start == 0 || text[start - 1] == '\n') && line == SectionSeparator) {
            ++count.Blocks;
            afterLast = std::min(end + 1, text.size());
        }
        at = end + 1;
    }
    count.CutShort = text.substr(afterLast).find_first_not_of(" \t\r\n") != std::string_view::npos;
    return count;
}

} // namespace

ProjectFile::ProjectFile(ShowDocument& document, IUserInterface& ui, ISongLoader& songs,
                         const Language& language)
    : Doc(document), Ui(ui), Songs(songs), Lang(language) {}

bool ProjectFile::WriteProject(const QString& path) {
    const TProjectSnapshot snapshot = SnapshotOf(Doc);
    const int total = static_cast<int>(snapshot.Tracks.size());
    ScopedProgress progress(Ui, Tr(TextTable::ProjectFile, ProjectFileText::SavingTracks));
    TProjectWriteOptions options;
    options.KeepBackup = true;
    options.Progress = [&progress, total](int written) {
        progress.SetGauge(written * 100 / total);
    };
    const TFileError error = WriteProjectSnapshot(path, snapshot, options);
    progress.Close();
    if (error) {
        Ui.ReportError(Tr(TextTable::FileText, FileText::ProjectNotSaved)
                           .arg(QDir::toNativeSeparators(path), FileErrorText(error, Lang)));
        return false;
    }
    const QString marksPath = MarksPathOf(path);
    const TFileError marksError = WriteMarks(marksPath, snapshot.Marks);
    if (marksError) {
        Ui.ReportError(
            Tr(TextTable::Extra, ExtraText::CannotWriteFile)
                .arg(QDir::toNativeSeparators(marksPath), FileErrorText(marksError, Lang)));
        return false;
    }
    return true;
}

void ProjectFile::ReadMarks(const QString& projectPath) {
    const QString path = MarksPathOf(projectPath);
    TMarksReading reading = ReadMarksFile(path);
    const QString shown = QDir::toNativeSeparators(path);
    QString reason;
    switch (reading.Problem) {
    case TMarksReading::Fault::None: {
        // Marks the song no longer reaches (it was replaced by a shorter one) are kept and
        // said: the Marks menu lists them for deleting.
        const std::int64_t length = Songs.SongLengthMs() >= 0
                                        ? Songs.SongLengthMs()
                                        : std::int64_t{std::max(Doc.SlotCount, 1)} * 100 - 1;
        const auto past = std::count_if(reading.Marks.begin(), reading.Marks.end(),
                                        [length](const TShowMark& m) { return m.Ms > length; });
        Doc.SetMarks(std::move(reading.Marks));
        if (past > 0)
            Ui.Warning(Tr(TextTable::FileText, FileText::MarksPastEnd)
                           .arg(past)
                           .arg(FormatShowTime(length)));
        return;
    }
    case TMarksReading::Fault::Unreadable:
        Ui.Warning(Tr(TextTable::MarksText, MarksText::FileUnreadable).arg(shown, reading.Error));
        RefusedMarks = path;
        Doc.SetMarks({});
        return;
    case TMarksReading::Fault::NotATime:
        reason = Tr(TextTable::MarksText, MarksText::NotATime);
        break;
    case TMarksReading::Fault::Negative:
        reason = Tr(TextTable::MarksText, MarksText::NegativeTime);
        break;
    }
    // The file is not touched: a save leaves it until the marks are changed.
    RefusedMarks = path;
    Ui.Warning(Tr(TextTable::FileText, FileText::MarksKept)
                   .arg(shown)
                   .arg(reading.Line)
                   .arg(reason, QDir::toNativeSeparators(RefusedMarksBackupPath(path))));
    Doc.SetMarks({});
}

TFileError ProjectFile::WriteMarks(const QString& marksPath, const TShowMarks& marks) {
    if (marksPath == RefusedMarks) {
        // The marks read were none; while they stay none the refused file is the user's
        // only copy and stays as it is. New marks first put it aside.
        if (marks.empty())
            return {};
        const QByteArray from = QFile::encodeName(marksPath);
        const QByteArray to = QFile::encodeName(RefusedMarksBackupPath(marksPath));
        if (::rename(from.constData(), to.constData()) != 0 && errno != ENOENT)
            return TFileError::FromErrno(errno);
        RefusedMarks.clear();
    }
    return WriteMarksFile(marksPath, marks);
}

bool ProjectFile::ReadProject(const QString& path) {
    const TBulkUpdate bulk(Doc);
    LastVersion.clear();
    RefusedMarks.clear();
    Relocated = false;
    FittedFrom = -1;
    CountWritten = -1;
    Doc.SetMarks({});

    QString version;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            Ui.ReportError(Tr(TextTable::Extra, ExtraText::CannotReadFile)
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
            return false;
        }
        // The first three lines decide the version; the first two may be of any length.
        QByteArray head;
        for (int line = 0; line < 3 && !file.atEnd(); ++line)
            head += file.readLine();
        TextLineReader reader(head);
        reader.NextRaw();
        reader.NextRaw();
        version = reader.NextText();
    }
    LastVersion = version;

    auto digit = [&](int position) {
        if (version.size() <= position || !version.at(position).isDigit() ||
            version.at(position).unicode() > '9')
            return -1;
        return version.at(position).unicode() - '0';
    };
    const int d1 = digit(0);
    const int d3 = digit(2);
    const int d5 = digit(4);
    auto refuseVersion = [&](const QString& message) {
        Ui.Warning(message);
        Doc.ProjectFileName.clear();
        Doc.SetModified(false);
        return false;
    };
    if (d1 < 0 || d3 < 0 || d5 < 0)
        return refuseVersion(Tr(TextTable::ProjectFile, ProjectFileText::UnknownVersion));
    if (d1 * 100 + d3 * 10 + d5 > ProjectFileVersionNumber)
        return refuseVersion(Tr(TextTable::ProjectFile, ProjectFileText::VersionPrefix) + version +
                             Tr(TextTable::ProjectFile, ProjectFileText::VersionNotCompatible));
    if (d1 != 1 || d3 != 0 || d5 > 3)
        return refuseVersion(Tr(TextTable::ProjectFile, ProjectFileText::UnknownVersion));

    if (!ReadVersion(path, d5))
        return false;
    ReadMarks(path);
    return true;
}

bool ProjectFile::OpenSong(TProjectType& project, const QString& projectPath) {
    const QString folder = QFileInfo(projectPath).absolutePath();
    if (!QFileInfo::exists(project.Mp3FileName)) {
        Ui.Warning(Tr(TextTable::ProjectFile, ProjectFileText::Mp3FilePrefix) +
                   project.Mp3FileName +
                   Tr(TextTable::ProjectFile, ProjectFileText::Mp3RemovedSuffix) + project.Name);
        const auto chosen = Ui.ChooseSong(folder);
        if (!chosen)
            return false;
        project.Mp3FileName = *chosen;
        Relocated = true;
    }
    // A song that is there but cannot be used (damaged, no longer decodable, too long) is
    // one to replace, as a missing one is; the loader has said why.
    while (!Songs.LoadSong(project.Mp3FileName)) {
        if (Songs.LoadCancelled()) {
            Ui.Warning(Tr(TextTable::ProjectFile, ProjectFileText::ImpossibleToLoadMp3));
            return false;
        }
        Ui.Warning(Tr(TextTable::FileText, FileText::SongUnusable)
                       .arg(QDir::toNativeSeparators(project.Mp3FileName), project.Name));
        const auto chosen = Ui.ChooseSong(folder);
        if (!chosen)
            return false;
        project.Mp3FileName = *chosen;
        Relocated = true;
    }
    return true;
}

bool ProjectFile::ReadVersion(const QString& path, int minor) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Ui.ReportError(Tr(TextTable::Extra, ExtraText::CannotReadFile)
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    // A big show's file runs to tens of megabytes: it is read through a mapping of the file
    // where the system allows one, which spares copying it into memory of our own; the
    // mapping lives as long as `file` stays open, past the last use of `bytes`.
    QByteArray bytes;
    if (uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr)
        bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped),
                                        static_cast<qsizetype>(file.size()));
    else
        bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Ui.ReportError(Tr(TextTable::Extra, ExtraText::CannotReadFile)
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }

    TextLineReader reader(bytes);
    std::optional<ScopedProgress> progress;
    auto refuse = [&](const QString& reason) {
        return Refusal{Tr(TextTable::Extra, ExtraText::ProjectRefused)
                           .arg(QDir::toNativeSeparators(path))
                           .arg(reader.LineNumber())
                           .arg(reason)};
    };
    auto line = [&]() -> std::string_view {
        if (reader.AtEnd()) {
            reader.NextRaw();
            throw Refusal{Tr(TextTable::Extra, ExtraText::ProjectRefused)
                              .arg(QDir::toNativeSeparators(path))
                              .arg(reader.LineNumber() + 1)
                              .arg(Tr(TextTable::Extra, ExtraText::FileEndsEarly))};
        }
        return reader.NextRaw();
    };
    auto text = [&] { return reader.Decode(line()); };
    auto number = [&]() -> std::int32_t {
        std::int32_t value = 0;
        switch (reader.NextNumber(value)) {
        case TextLineReader::NumberLine::Number:
            return value;
        case TextLineReader::NumberLine::NotANumber:
            throw refuse(Tr(TextTable::Extra, ExtraText::NotANumber));
        case TextLineReader::NumberLine::End:
            line(); // throws: the file ends early
        }
        return value;
    };
    auto byteNumber = [&] { return static_cast<std::uint8_t>(number()); };

    TBulkUpdate bulk(Doc);
    try {
        for (int skip = 1; skip <= 4; ++skip)
            line();
        TProjectType& p = bulk.Project();
        p.Name = text();
        p.Mp3FileName = text();

        if (!OpenSong(p, path))
            return false;

        const std::int32_t resolution = number();
        if (!IsValidResolutionIndex(resolution))
            throw refuse(Tr(TextTable::Extra, ExtraText::BadResolution).arg(resolution));
        p.Resolution = resolution;
        for (QString* field :
             {&p.Subject, &p.Author, &p.Copyright, &p.Customer, &p.CreationDate, &p.Reserved})
            *field = text();

        const std::int32_t comments = number();
        if (comments < 0)
            throw refuse(Tr(TextTable::Extra, ExtraText::BadCommentCount).arg(comments));
        p.Comments.clear();
        for (std::int32_t c = 0; c < comments; ++c)
            p.Comments << text();

        line();
        const std::int32_t written = number();
        if (written < 0 || written > MaxTracks)
            throw refuse(Tr(TextTable::Extra, ExtraText::TooManyTracks).arg(written));
        line();
        // The count is a line of its own, apart from the blocks: a file edited by hand, or one
        // that ends after a whole block, may hold another number of them. Every whole block
        // is read and the difference said, so no track is dropped without a word. A file
        // whose last block is cut short is read by its count, which refuses it where it ends.
        const TBlockCount blocks = CountTrackBlocks(reader.Whole().substr(reader.Offset()));
        if (blocks.Blocks > MaxTracks)
            throw refuse(Tr(TextTable::Extra, ExtraText::TooManyTracks).arg(blocks.Blocks));
        const int total = blocks.CutShort && written > blocks.Blocks ? written : blocks.Blocks;
        if (total != written)
            CountWritten = written;

        progress.emplace(Ui, Tr(TextTable::ProjectFile, ProjectFileText::CreatingTracks));

        const int slotCount = Doc.SlotCount;
        const int valueLines = minor == 3 ? slotCount : OldVersionValueLines;
        // Each track's values are read into one buffer, then stored in one bulk write.
        std::vector<std::uint8_t> values(static_cast<std::size_t>(std::max(slotCount, 0)));
        // Version 3's value blocks are only found while the headers are read, and parsed
        // after them all at once, on several threads for a big show. Any fault met that way
        // reads the tracks again line by line, which refuses with the exact line and keeps
        // what was read before the fault, as a reading of every line would.
        const TextLineReader tracksStart = reader;
        std::vector<TDeferredBlock> deferred;
        auto readTracks = [&](bool defer) {
            for (int k = 1; k <= total; ++k) {
                if (Doc.AddTrack(Lang) == nullptr) // unreachable with total <= MaxTracks on an
                                                   // emptied show
                    throw refuse(Tr(TextTable::Extra, ExtraText::TooManyTracks).arg(total));
                TFullTrack& track = bulk.Track(Doc.TrackCount());

                track.Caption = text();
                track.Output = byteNumber();
                track.TrackType = byteNumber();
                track.Locked = ParseBool(line());
                track.SetMute(ParseBool(line()));
                track.SetSolo(ParseBool(line()));
                if (minor >= 1) {
                    track.HeaderColor = static_cast<TColor>(number());
                    track.CaptionColor = static_cast<TColor>(number());
                    track.LaneColor = static_cast<TColor>(number());
                    track.LaneBackColor = static_cast<TColor>(number());
                }
                if (minor >= 2) {
                    track.MidiMap.Channel = byteNumber();
                    track.MidiMap.Controller = byteNumber();
                    track.MidiMap.Key = byteNumber();
                    track.MidiMap.UseVelocity = ParseBool(line());
                    track.MidiMap.UseKey = ParseBool(line());
                }

                if (defer) {
                    deferred.push_back({SkipValueBlock(reader), &track});
                    progress->SetGauge(k * 100 / total);
                    continue;
                }
                std::ranges::fill(values, std::uint8_t{0});
                if (minor == 3) {
                    // One value line per slot of the song the file was written with. A song
                    // decoded to a slightly different length (decoders differ by a frame) or
                    // re-encoded gives another count: the block is read up to its separator and
                    // fitted to the song, as Resize does. The last byte of the track is
                    // storage only and never set.
                    const int found = static_cast<int>(reader.ReadByteRun(
                        values.data(), static_cast<std::size_t>(std::max(slotCount - 1, 0))));
                    if (reader.AtEnd())
                        line(); // throws: the file ends early
                    if (reader.NextRaw() != SectionSeparator)
                        throw refuse(Tr(TextTable::Extra, ExtraText::NotANumber));
                    if (found != valueLines && FittedFrom < 0)
                        FittedFrom = found;
                } else {
                    // Older versions always hold 131,070 value lines: another count is damage.
                    const QString mismatch =
                        Tr(TextTable::Extra, ExtraText::ValueCountMismatch).arg(valueLines);
                    for (int j = 1; j <= valueLines; ++j) {
                        std::int32_t value = 0;
                        std::string_view raw;
                        switch (reader.NextNumber(value, &raw)) {
                        case TextLineReader::NumberLine::Number:
                            if (j < slotCount)
                                values[j - 1] = static_cast<std::uint8_t>(value);
                            break;
                        case TextLineReader::NumberLine::NotANumber:
                            throw refuse(raw == SectionSeparator
                                             ? mismatch
                                             : Tr(TextTable::Extra, ExtraText::NotANumber));
                        case TextLineReader::NumberLine::End:
                            line(); // throws: the file ends early
                        }
                    }
                    std::int32_t extra = 0;
                    switch (reader.NextNumber(extra)) {
                    case TextLineReader::NumberLine::Number:
                        throw refuse(mismatch);
                    case TextLineReader::NumberLine::NotANumber:
                        break; // the block's separator
                    case TextLineReader::NumberLine::End:
                        line(); // throws: the file ends early
                    }
                }
                track.Values.CopyIn(0, slotCount, values.data());
                progress->SetGauge(k * 100 / total);
            }
        };
        bool read = false;
        if (minor == 3) {
            try {
                {
                    // The tracks are made without values, which the parsing threads make.
                    const TEmptyTracks empty(Doc);
                    readTracks(true);
                }
                read = ParseValueBlocks(deferred, slotCount);
            } catch (const Refusal&) {
                read = false;
            } catch (...) {
                Doc.RemoveAllTracks();
                throw;
            }
            if (read) {
                for (const TDeferredBlock& block : deferred) {
                    if (static_cast<int>(block.Count) != valueLines) {
                        FittedFrom = static_cast<int>(block.Count);
                        break;
                    }
                }
            } else {
                Doc.RemoveAllTracks();
                reader = tracksStart;
            }
        }
        if (!read)
            readTracks(false);
        progress.reset();
        Doc.SetModified(Relocated || FittedFrom >= 0 || CountWritten >= 0);
        if (CountWritten >= 0)
            Ui.Warning(Tr(TextTable::FileText, FileText::TrackCountDiffers)
                           .arg(QDir::toNativeSeparators(path))
                           .arg(CountWritten)
                           .arg(total));
        if (FittedFrom >= 0)
            Ui.Warning(Tr(TextTable::Extra, ExtraText::ValueCountFitted)
                           .arg(QDir::toNativeSeparators(path))
                           .arg(FittedFrom)
                           .arg(valueLines));
        return true;
    } catch (const Refusal& refusal) {
        progress.reset();
        Ui.Warning(refusal.Message);
        return false;
    }
}

} // namespace lumivox
