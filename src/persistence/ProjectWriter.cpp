// The project file writer: header, one block per track, safe replacement and the backup.
#include "persistence/ProjectWriter.h"

#include "persistence/ProjectFile.h"
#include "persistence/TextLines.h"

#include "persistence/VerifiedFile.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include <cstdio>
#include <unistd.h>

namespace lumivox {

namespace {

// "0\r\n" .. "255\r\n", for writing value lines without formatting each number.
struct ValueLineTable {
    std::array<std::array<char, 8>, 256> Text{};
    std::array<std::uint8_t, 256> Length{};
    ValueLineTable() {
        for (int v = 0; v < 256; ++v) {
            const std::string digits = std::to_string(v) + "\r\n";
            std::memcpy(Text[static_cast<std::size_t>(v)].data(), digits.data(), digits.size());
            Length[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(digits.size());
        }
    }
};

const ValueLineTable& ValueLines() {
    static const ValueLineTable table;
    return table;
}

// Text fields are single lines in the file: a line break inside one would shift every
// following line, so it is written as a blank.
QString SingleLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

void AppendBool(QByteArray& out, bool flag) {
    AppendLine(out, flag ? "Yes" : "No");
}

void AppendNumber(QByteArray& out, long long number) {
    AppendLine(out, std::string_view(std::to_string(number)));
}

QByteArray Header(const TProjectSnapshot& snapshot) {
    const TProjectType& p = snapshot.Project;
    QByteArray head;
    AppendLine(head, "Lumivox Project File of Vostrel");
    AppendLine(head, "File version : ");
    AppendLine(head, ProjectFileVersionText);
    AppendLine(head, SectionSeparator);
    for (const QString* field : {&p.Name, &p.Mp3FileName})
        AppendLine(head, SingleLine(*field));
    AppendNumber(head, p.Resolution);
    for (const QString* field :
         {&p.Subject, &p.Author, &p.Copyright, &p.Customer, &p.CreationDate, &p.Reserved})
        AppendLine(head, SingleLine(*field));
    AppendNumber(head, p.Comments.size());
    for (const QString& line : p.Comments)
        AppendLine(head, SingleLine(line));
    AppendLine(head, SectionSeparator);
    AppendNumber(head, static_cast<long long>(snapshot.Tracks.size()));
    AppendLine(head, SectionSeparator);
    return head;
}

void AppendTrack(QByteArray& block, const TFullDataTrack& t, int slotTotal) {
    block.clear();
    block.reserve(256 + static_cast<qsizetype>(slotTotal) * 5);
    AppendLine(block, SingleLine(t.Caption));
    AppendNumber(block, t.Output);
    AppendNumber(block, t.TrackType);
    AppendBool(block, t.Locked);
    AppendBool(block, t.Mute);
    AppendBool(block, t.Solo);
    for (TColor colour : {t.HeaderColor, t.CaptionColor, t.LaneColor, t.LaneBackColor})
        AppendNumber(block, static_cast<std::int32_t>(colour));
    AppendNumber(block, t.MidiMap.Channel);
    AppendNumber(block, t.MidiMap.Controller);
    AppendNumber(block, t.MidiMap.Key);
    AppendBool(block, t.MidiMap.UseVelocity);
    AppendBool(block, t.MidiMap.UseKey);
    // One line per slot of the song; an index the track refuses (its last, storage-only
    // byte, or any beyond its length) is written as 0.
    const ValueLineTable& table = ValueLines();
    const qsizetype start = block.size();
    block.resize(start + static_cast<qsizetype>(slotTotal) * 5);
    char* out = block.data() + start;
    for (int j = 1; j <= slotTotal; ++j) {
        std::uint8_t value = 0;
        if (!t.GetValue(j, value))
            value = 0;
        std::memcpy(out, table.Text[value].data(), 8);
        out += table.Length[value];
    }
    block.resize(out - block.data());
    AppendLine(block, SectionSeparator);
}

// Keeps the file at `path` as its backup. A second name for the same file costs nothing and
// stays the old file once the new one is renamed over `path`; where the file system has no
// such names (FAT on a USB stick) the file is copied. Either way the previous backup is
// replaced only once the new one is complete. A file that cannot be backed up is still saved
// over.
void KeepBackup(const QString& path) {
    if (!QFileInfo(path).isFile())
        return;
    const QByteArray target = QFile::encodeName(path);
    const QByteArray backupName = QFile::encodeName(BackupPathOf(path));
    const QByteArray linkName = backupName + ".new";
    ::unlink(linkName.constData());
    if (::link(target.constData(), linkName.constData()) == 0) {
        if (::rename(linkName.constData(), backupName.constData()) == 0)
            return;
        ::unlink(linkName.constData());
    }
    QFile old(path);
    if (!old.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = old.readAll();
    if (old.error() != QFileDevice::NoError)
        return;
    WriteFileVerified(BackupPathOf(path), bytes);
}

} // namespace

QString BackupPathOf(const QString& path) {
    return path + QStringLiteral(".bak");
}

TProjectSnapshot SnapshotOf(const ShowDocument& document) {
    TProjectSnapshot snapshot;
    snapshot.Project = document.Project();
    snapshot.SlotCount = document.SlotCount;
    snapshot.Marks = document.Marks();
    snapshot.Tracks.reserve(document.Tracks().size());
    for (const auto& track : document.Tracks()) {
        TFullDataTrack& copy = snapshot.Tracks.emplace_back(0);
        copy.Values = track->Values;
        copy.TrackType = track->TrackType;
        copy.Output = track->Output;
        copy.Locked = track->Locked;
        copy.Mute = track->Mute;
        copy.Solo = track->Solo;
        copy.Caption = track->Caption;
        copy.HeaderColor = track->HeaderColor;
        copy.CaptionColor = track->CaptionColor;
        copy.LaneColor = track->LaneColor;
        copy.LaneBackColor = track->LaneBackColor;
        copy.MidiMap = track->MidiMap;
    }
    return snapshot;
}

TFileError WriteProjectSnapshot(const QString& path, const TProjectSnapshot& snapshot,
                                const TProjectWriteOptions& options) {
    TVerifiedFile file(path);
    if (!file.Open())
        return file.Error();
    const QByteArray head = Header(snapshot);
    if (!file.Write(head))
        return file.Error();
    QByteArray block;
    int written = 0;
    for (const TFullDataTrack& track : snapshot.Tracks) {
        AppendTrack(block, track, snapshot.SlotCount);
        if (!file.Write(block))
            return file.Error();
        if (options.Progress)
            options.Progress(++written);
    }
    if (options.KeepBackup)
        KeepBackup(file.TargetPath());
    if (!file.Commit())
        return file.Error();
    return {};
}

} // namespace lumivox
