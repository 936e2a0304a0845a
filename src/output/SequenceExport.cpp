// Sequence file export: events from the tracks, a stable linear sort by time, frames per
// slot, the file image and its safe writing.
#include "output/SequenceExport.h"

#include "core/UserInterface.h"
#include "model/ShowDocument.h"

#include "core/TimeText.h"
#include "persistence/VerifiedFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <utility>

namespace lumivox {

bool TTrameOfContactorEvent::add(std::uint8_t contactor, std::uint8_t value) {
    if (entries.size() >= MaxEntries)
        return false;
    entries.push_back({contactor, value});
    return true;
}

const TCntTrameData* TTrameOfContactorEvent::GetDataEventX(std::uint8_t x) const {
    if (x < 1 || x > entries.size())
        return nullptr;
    return &entries[x - 1u];
}

TCntTrameData* TTrameOfContactorEvent::GetDataEventX(std::uint8_t x) {
    return const_cast<TCntTrameData*>(std::as_const(*this).GetDataEventX(x));
}

QString SequenceFileNameFor(const QString& mp3Path) {
    if (mp3Path.isEmpty())
        return {};
    // Only a dot inside the last path component starts the extension.
    const qsizetype nameStart =
        std::max(mp3Path.lastIndexOf(QLatin1Char('/')), mp3Path.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = mp3Path.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? mp3Path.left(dot) : mp3Path;
    return stem + QStringLiteral(".seq");
}

std::uint8_t SequenceResolutionCode(int resolutionMs) {
    switch (resolutionMs) {
    case 100:
        return 1;
    case 250:
        return 2;
    case 500:
        return 3;
    default:
        return 4;
    }
}

namespace {

void AppendBigEndian16(QByteArray& bytes, std::uint16_t number) {
    bytes.append(static_cast<char>(number >> 8));
    bytes.append(static_cast<char>(number & 0xFF));
}

std::size_t EncodedEntryCount(const TTrameOfContactorEvent& frame) {
    return std::min<std::size_t>(frame.entries.size(), 255);
}

} // namespace

TEncodedSequence EncodeSequenceFile(const std::vector<TTrameOfContactorEvent>& frames,
                                    int resolutionMs) {
    TEncodedSequence encoded;
    // The frames that fit the unit's event memory, the first one that does not ending it.
    std::size_t kept = 0;
    for (const TTrameOfContactorEvent& frame : frames) {
        const std::uint32_t size = static_cast<std::uint32_t>(3 + 2 * EncodedEntryCount(frame));
        if (encoded.FrameDataLength + size > static_cast<std::uint32_t>(SequenceMaxFrameData)) {
            encoded.Overflow = true;
            break;
        }
        encoded.FrameDataLength += size;
        ++kept;
    }

    QByteArray& bytes = encoded.Bytes;
    bytes.reserve(SequenceFileSize);
    bytes.fill(' ', SequencePrefixSize);
    AppendBigEndian16(bytes, static_cast<std::uint16_t>(encoded.FrameDataLength));
    bytes.append(static_cast<char>(SequenceResolutionCode(resolutionMs)));
    bytes.append(SequenceHeaderSize - bytes.size(), ' ');

    for (std::size_t k = 0; k < kept; ++k) {
        const TTrameOfContactorEvent& frame = frames[k];
        const std::size_t count = EncodedEntryCount(frame);
        // A cut sequence ends like a whole one: its last frame names no next slot.
        AppendBigEndian16(bytes, encoded.Overflow && k + 1 == kept ? 0 : frame.slot);
        bytes.append(static_cast<char>(count));
        for (std::size_t i = 0; i < count; ++i) {
            bytes.append(static_cast<char>(frame.entries[i].contactor));
            bytes.append(static_cast<char>(frame.entries[i].value));
        }
    }
    bytes.append(SequenceFileSize - bytes.size(), '\0');
    return encoded;
}

void TSequenceExport::BuildEvents(const ShowDocument& show, const std::function<void(int)>& gauge) {
    EventList.clear();
    const int resolution = show.ResolutionInMs();
    const int trackCount = show.TrackCount();
    for (int index = 1; index <= trackCount; ++index) {
        const TFullTrack& track = show.Track(index);
        std::uint8_t previous = 0;
        for (int slot = 1; slot <= show.SlotCount; ++slot) {
            std::uint8_t value = 0;
            if (!track.GetValue(slot, value) || value == previous)
                continue;
            previous = value;
            EventList.push_back(
                {static_cast<std::uint32_t>(slot - 1) * static_cast<std::uint32_t>(resolution),
                 track.Output, value});
        }
        if (gauge)
            gauge(index * 100 / trackCount);
    }
}

void TSequenceExport::SortEvents() {
    // Least-significant-digit radix sort on the 32-bit time, two passes of 16 bits. Each pass
    // is a stable counting sort, so events of equal time keep their track order.
    const std::size_t n = EventList.size();
    if (n < 2)
        return;
    SortScratch.resize(n);
    std::vector<std::uint32_t> starts(std::size_t{1} << 16);
    for (const int shift : {0, 16}) {
        std::fill(starts.begin(), starts.end(), 0u);
        for (const TContactorEvent& event : EventList)
            ++starts[(event.time >> shift) & 0xFFFF];
        // A pass where every event has the same digit would leave the order as it is.
        if (starts[(EventList.front().time >> shift) & 0xFFFF] == n)
            continue;
        std::uint32_t position = 0;
        for (std::uint32_t& start : starts)
            position += std::exchange(start, position);
        for (const TContactorEvent& event : EventList)
            SortScratch[starts[(event.time >> shift) & 0xFFFF]++] = event;
        EventList.swap(SortScratch);
    }
}

bool TSequenceExport::BuildFrames(int resolutionMs) {
    FrameList.clear();
    FrameList.emplace_back();
    std::uint32_t previousTime = 0;
    const std::size_t n = EventList.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TContactorEvent& event = EventList[i];
        if (event.time != previousTime) {
            const std::uint32_t slot =
                resolutionMs > 0 ? event.time / static_cast<std::uint32_t>(resolutionMs) : 0;
            // A frame names the next one's slot in 16 bits: the sequence ends with the last
            // slot that can be named, rather than wrapping to an early one.
            if (slot > MaxSequenceSlot)
                return false;
            FrameList.back().slot = static_cast<std::uint16_t>(slot);
            previousTime = event.time;
            TTrameOfContactorEvent& frame = FrameList.emplace_back();
            // Reserve the run of events sharing this time, so each frame allocates once.
            std::size_t end = i + 1;
            while (end < n && EventList[end].time == event.time)
                ++end;
            frame.entries.reserve(std::min(end - i, TTrameOfContactorEvent::MaxEntries));
        }
        FrameList.back().add(event.contactor, event.value);
    }
    return true;
}

QString SequenceTargetFor(const QString& mp3Path, const QString& requested) {
    if (requested.isEmpty())
        return SequenceFileNameFor(mp3Path);
    // A folder receives the file named after the song.
    if (QFileInfo(requested).isDir() && !mp3Path.isEmpty())
        return QDir(requested).filePath(QFileInfo(SequenceFileNameFor(mp3Path)).fileName());
    return requested;
}

TSequenceExport::Result TSequenceExport::Export(const ShowDocument& show, IUserInterface& ui,
                                                Language language, const QString& targetPath) {
    Written.clear();
    QString fileName = SequenceTargetFor(show.Project().Mp3FileName, targetPath);
    if (fileName.isEmpty()) { // the file is named after the song: none, no file
        ui.Warning(Text(TextTable::Messages, MessageText::NoMp3Loaded, language));
        return Result::Failed;
    }

    ui.ProcessEvents();
    ScopedProgress progress(ui,
                            Text(TextTable::CommonTexts, CommonText::ProcessingExport, language));

    BuildEvents(show, [&progress](int percent) { progress.SetGauge(percent); });

    ui.ProcessEvents();
    progress.SetText(Text(TextTable::CommonTexts, CommonText::SortingExport, language));
    ui.ProcessEvents();
    SortEvents();

    // The outcome's message comes while the window is still up; then it closes.
    auto finish = [&progress](Result result) {
        progress.Close();
        return result;
    };
    auto replaceDeclined = [&] {
        return QFileInfo::exists(fileName) &&
               !ui.Confirm(fileName +
                           Text(TextTable::Messages, MessageText::AlreadyExistsReplace, language));
    };
    if (replaceDeclined())
        return finish(Result::Declined);

    const int resolution = show.ResolutionInMs();
    const bool slotsFit = BuildFrames(resolution);
    const TEncodedSequence encoded = Encode(resolution);

    // The old file is replaced only once the new one is complete on disk. A place that cannot
    // take it (a read-only folder, a full disk) is said, and another one can be chosen.
    for (;;) {
        const TFileError error = WriteFileVerified(fileName, encoded.Bytes);
        if (!error)
            break;
        ui.Warning(Text(TextTable::FileText, FileText::ExportFolderLocked, language)
                       .arg(QDir::toNativeSeparators(fileName), FileErrorText(error, language)));
        const auto chosen = ui.ChooseSequenceFile(
            fileName, Text(TextTable::FileText, FileText::SequenceFilter, language));
        if (!chosen)
            return finish(Result::Failed);
        fileName = *chosen;
        if (replaceDeclined())
            return finish(Result::Declined);
    }
    Written = fileName;

    if (encoded.Overflow) {
        ui.Information(Text(TextTable::Messages, MessageText::ProcessDoneTooManyEvents, language));
        return finish(Result::TooManyEvents);
    }
    if (!slotsFit) {
        const std::int64_t lastMs = std::int64_t{MaxSequenceSlot} * resolution;
        ui.Warning(
            Text(TextTable::FileText, FileText::SlotLimit, language).arg(FormatShowTime(lastMs)));
        return finish(Result::SlotsCut);
    }
    ui.Information(Text(TextTable::Messages, MessageText::ProcessDone, language));
    return finish(Result::Done);
}

} // namespace lumivox
