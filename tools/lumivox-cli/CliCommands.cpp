// lumivox-cli commands: each reads its arguments, runs the same core operations as the
// editor (with English texts) and maps the outcome to an exit code.
#include "lumivox-cli/CliCommands.h"

#include "audio/analysis/BeatCache.h"
#include "audio/decode/SongImport.h"
#include "audio/decode/SongLoader.h"
#include "lumivox-cli/CliUsage.h"
#include "lumivox-cli/ConsoleUserInterface.h"
#include "lumivox-cli/JsonWriter.h"
#include "lumivox-cli/PlayCommand.h"
#include "model/ShowDocument.h"
#include "model/TrackRules.h"
#include "output/SequenceExport.h"
#include "output/SequenceFile.h"
#include "persistence/ProjectFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace lumivox::cli {

namespace {

constexpr Language CliLanguage = Language::English;

void Print(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
}

// Options and positional arguments of one command.
struct Arguments {
    QStringList Positional;
    std::map<QString, QString> Values; // options with a value (--song, -o)
    QStringList Flags;                 // options without a value
    QString Error;

    bool Has(const char* flag) const { return Flags.contains(QLatin1String(flag)); }
    std::optional<QString> Value(const char* name) const {
        auto it = Values.find(QLatin1String(name));
        if (it == Values.end())
            return std::nullopt;
        return it->second;
    }
};

Arguments Parse(const QStringList& args, const QStringList& valueOptions,
                const QStringList& flagOptions) {
    Arguments parsed;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (valueOptions.contains(arg)) {
            if (i + 1 >= args.size()) {
                parsed.Error = QStringLiteral("option %1 needs a value").arg(arg);
                return parsed;
            }
            parsed.Values[arg] = args[++i];
        } else if (flagOptions.contains(arg)) {
            parsed.Flags << arg;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            parsed.Error = QStringLiteral("unknown option %1").arg(arg);
            return parsed;
        } else {
            parsed.Positional << arg;
        }
    }
    return parsed;
}

// Songs open as in the editor, through LoadSong: the waveform cache is found or built and
// the song is measured; no sound is played.
struct SongOpening {
    SongOpening(ShowDocument& doc, ConsoleUserInterface& ui)
        : Runner(ui), Songs(doc, ui, Lang, Player, Runner) {}
    Language Lang = CliLanguage;
    MeasuringMediaPlayer Player;
    HeadlessImportRunner Runner;
    SongLoader Songs;
};

// A show read from a project file, with the core objects that read it.
struct LoadedShow {
    ShowDocument Doc;
    ConsoleUserInterface Ui;
    Language Lang = CliLanguage;
    SongOpening Opening{Doc, Ui};
    ProjectFile File{Doc, Ui, Opening.Songs, Lang};

    bool Read(const QString& path, const std::optional<QString>& song) {
        Doc.SetProjectName(Text(TextTable::CommonTexts, CommonText::NewProject, Lang));
        Ui.SongAnswer = song;
        Doc.ProjectFileName = path;
        if (!File.ReadProject(path))
            return false;
        Doc.SetResolution(Doc.Project().Resolution);
        return true;
    }
};

QString TypeName(std::uint8_t type) {
    return type == TrackTypeOnOff ? QStringLiteral("onoff") : QStringLiteral("proportional");
}

QString YesNo(bool flag) {
    return flag ? QStringLiteral("Yes") : QStringLiteral("No");
}

int NonZeroCount(const TFullTrack& track) {
    int count = 0;
    for (int j = 1; j < track.SlotCount(); ++j) {
        std::uint8_t value = 0;
        if (track.GetValue(j, value) && value != 0)
            ++count;
    }
    return count;
}

void PrintInfoJson(const LoadedShow& show, bool withValues) {
    const ShowDocument& doc = show.Doc;
    const TProjectType& p = doc.Project();
    JsonWriter json(stdout);
    json.BeginObject();
    json.Field("version", show.File.VersionRead());
    json.Field("name", p.Name);
    json.Field("song", p.Mp3FileName);
    json.Field("resolution_ms", static_cast<long long>(ResolutionMs(p.Resolution)));
    json.Field("slot_count", static_cast<long long>(doc.SlotCount));
    const std::pair<const char*, const QString*> fields[] = {{"subject", &p.Subject},
                                                             {"author", &p.Author},
                                                             {"copyright", &p.Copyright},
                                                             {"customer", &p.Customer},
                                                             {"creation_date", &p.CreationDate},
                                                             {"reserved", &p.Reserved}};
    for (const auto& [key, value] : fields) {
        json.Key(key);
        json.Value(*value);
    }
    json.Key("comments");
    json.BeginArray();
    for (const QString& line : p.Comments)
        json.Value(line);
    json.EndArray();
    json.Key("tracks");
    json.BeginArray();
    for (const auto& track : doc.Tracks()) {
        const TFullTrack& t = *track;
        json.BeginObject();
        json.Field("caption", t.Caption);
        json.Field("output", static_cast<long long>(t.Output));
        json.Field("type", TypeName(t.TrackType));
        json.Field("locked", t.Locked);
        json.Field("mute", t.Mute);
        json.Field("solo", t.Solo);
        json.Field("header_color", static_cast<long long>(t.HeaderColor));
        json.Field("caption_color", static_cast<long long>(t.CaptionColor));
        json.Field("lane_color", static_cast<long long>(t.LaneColor));
        json.Field("lane_back_color", static_cast<long long>(t.LaneBackColor));
        json.Field("channel", static_cast<long long>(t.MidiMap.Channel));
        json.Field("controller", static_cast<long long>(t.MidiMap.Controller));
        json.Field("key", static_cast<long long>(t.MidiMap.Key));
        json.Field("use_velocity", t.MidiMap.UseVelocity);
        json.Field("use_key", t.MidiMap.UseKey);
        json.Field("nonzero", static_cast<long long>(NonZeroCount(t)));
        if (withValues) {
            json.Key("values");
            json.BeginArray();
            std::vector<std::uint8_t> values(static_cast<std::size_t>(t.SlotCount()));
            t.Values.CopyOut(0, t.SlotCount(), values.data());
            json.Numbers(values.data(), values.size());
            json.EndArray();
        }
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    json.Finish();
}

QString Colour(TColor colour) {
    // Colours are 0x00BBGGRR, as stored.
    return QStringLiteral("%1 (0x%2)").arg(colour).arg(colour, 6, 16, QLatin1Char('0')).toUpper();
}

void PrintInfoText(const LoadedShow& show, bool withValues) {
    const ShowDocument& doc = show.Doc;
    const TProjectType& p = doc.Project();
    std::FILE* out = stdout;
    Print(out, QStringLiteral("Version:       %1").arg(show.File.VersionRead()));
    Print(out, QStringLiteral("Name:          %1").arg(p.Name));
    Print(out, QStringLiteral("Song:          %1").arg(p.Mp3FileName));
    Print(out, QStringLiteral("Resolution:    %1 ms").arg(ResolutionMs(p.Resolution)));
    Print(out, QStringLiteral("Slot count:    %1").arg(doc.SlotCount));
    Print(out, QStringLiteral("Subject:       %1").arg(p.Subject));
    Print(out, QStringLiteral("Author:        %1").arg(p.Author));
    Print(out, QStringLiteral("Copyright:     %1").arg(p.Copyright));
    Print(out, QStringLiteral("Customer:      %1").arg(p.Customer));
    Print(out, QStringLiteral("Creation date: %1").arg(p.CreationDate));
    Print(out, QStringLiteral("Reserved:      %1").arg(p.Reserved));
    Print(out, QStringLiteral("Comments:      %1 line(s)").arg(p.Comments.size()));
    for (const QString& line : p.Comments)
        Print(out, QStringLiteral("  | %1").arg(line));
    Print(out, QStringLiteral("Tracks:        %1").arg(doc.TrackCount()));
    for (int k = 1; k <= doc.TrackCount(); ++k) {
        const TFullTrack& t = doc.Track(k);
        Print(out, QStringLiteral("Track %1: \"%2\"").arg(k).arg(t.Caption));
        Print(out, QStringLiteral("  output %1, type %2, locked %3, mute %4, solo %5")
                       .arg(OutputText(t.Output, QStringLiteral("All")), TypeName(t.TrackType),
                            YesNo(t.Locked), YesNo(t.Mute), YesNo(t.Solo)));
        Print(out, QStringLiteral("  colours: header %1, caption %2, lane %3, lane back %4")
                       .arg(Colour(t.HeaderColor), Colour(t.CaptionColor), Colour(t.LaneColor),
                            Colour(t.LaneBackColor)));
        Print(out, QStringLiteral("  MIDI: channel %1, controller %2, key %3, use velocity %4, "
                                  "use key %5")
                       .arg(t.MidiMap.Channel)
                       .arg(t.MidiMap.Controller)
                       .arg(t.MidiMap.Key)
                       .arg(YesNo(t.MidiMap.UseVelocity), YesNo(t.MidiMap.UseKey)));
        Print(out, QStringLiteral("  non-zero slots: %1").arg(NonZeroCount(t)));
        if (withValues) {
            std::string line = "  values:";
            for (int j = 0; j < t.SlotCount(); ++j) {
                line += ' ';
                line += std::to_string(t.Values.StoredByte(j));
            }
            std::fprintf(out, "%s\n", line.c_str());
        }
    }
}

int CommandInfo(const QStringList& args) {
    const Arguments a = Parse(args, {QStringLiteral("--song")},
                              {QStringLiteral("--json"), QStringLiteral("--values")});
    if (!a.Error.isEmpty())
        return UsageError(QStringLiteral("info"), a.Error);
    if (a.Positional.size() != 1)
        return UsageError(QStringLiteral("info"), QStringLiteral("info needs one PROJECT"));
    LoadedShow show;
    if (!show.Read(a.Positional[0], a.Value("--song")))
        return ExitRefused;
    if (a.Has("--json"))
        PrintInfoJson(show, a.Has("--values"));
    else
        PrintInfoText(show, a.Has("--values"));
    std::fflush(stdout);
    return ExitDone;
}

int CommandExport(const QStringList& args) {
    const Arguments a =
        Parse(args, {QStringLiteral("--song"), QStringLiteral("-o")}, {QStringLiteral("--yes")});
    if (!a.Error.isEmpty())
        return UsageError(QStringLiteral("export"), a.Error);
    if (a.Positional.size() != 1)
        return UsageError(QStringLiteral("export"), QStringLiteral("export needs one PROJECT"));
    LoadedShow show;
    if (!show.Read(a.Positional[0], a.Value("--song")))
        return ExitRefused;
    show.Ui.AnswerYes = a.Has("--yes");
    TSequenceExport exporter;
    const auto result =
        exporter.Export(show.Doc, show.Ui, show.Lang, a.Value("-o").value_or(QString()));
    switch (result) {
    case TSequenceExport::Result::Done:
        return ExitDone;
    case TSequenceExport::Result::TooManyEvents:
    case TSequenceExport::Result::SlotsCut:
        return ExitTooManyEvents;
    case TSequenceExport::Result::Declined:
        for (const QString& question : show.Ui.Questions)
            Print(stderr, question);
        return ExitOutputExists;
    case TSequenceExport::Result::Failed:
        return ExitRefused;
    }
    return ExitRefused;
}

int CommandConvert(const QStringList& args) {
    const Arguments a = Parse(args, {QStringLiteral("--song")}, {QStringLiteral("--yes")});
    if (!a.Error.isEmpty())
        return UsageError(QStringLiteral("convert"), a.Error);
    if (a.Positional.size() != 2)
        return UsageError(QStringLiteral("convert"), QStringLiteral("convert needs IN and OUT"));
    // An existing project is replaced only when asked to, before anything is read.
    const QString out = a.Positional[1];
    if (QFileInfo::exists(out) && !a.Has("--yes")) {
        Print(stderr,
              QDir::toNativeSeparators(out) +
                  Text(TextTable::Messages, MessageText::AlreadyExistsReplace, CliLanguage));
        return ExitOutputExists;
    }
    LoadedShow show;
    if (!show.Read(a.Positional[0], a.Value("--song")))
        return ExitRefused;
    if (!show.File.WriteProject(out))
        return ExitRefused;
    Print(stdout, QStringLiteral("Converted %1 (version %2) to %3 (version %4).")
                      .arg(a.Positional[0], show.File.VersionRead(), a.Positional[1],
                           QString::fromLatin1(ProjectFileVersionText)));
    return ExitDone;
}

int CommandPeaks(const QStringList& args) {
    const Arguments a = Parse(args, {}, {});
    if (!a.Error.isEmpty())
        return UsageError(QStringLiteral("peaks"), a.Error);
    if (a.Positional.size() != 1)
        return UsageError(QStringLiteral("peaks"), QStringLiteral("peaks needs one SONG"));
    ShowDocument doc;
    ConsoleUserInterface ui;
    SongOpening opening{doc, ui};
    const bool opened = opening.Songs.LoadSong(a.Positional[0]);
    const TCacheResult cache = opening.Songs.LastCache();
    // A failed song has had its message printed already.
    if (!opened || (cache != TCacheResult::Reused && cache != TCacheResult::Built))
        return ExitRefused;
    Print(stdout, QStringLiteral("Peak file:  %1").arg(opening.Songs.PeakFileName));
    Print(stdout, QStringLiteral("Records:    %1").arg(PeakRecordCount(opening.Songs.WavePeaks)));
    Print(stdout, QStringLiteral("Length:     %1 ms").arg(opening.Player.LengthMs()));
    if (const std::optional<SongInfo> song = MeasureSong(a.Positional[0]))
        Print(stdout, QStringLiteral("Song rate:  %1 Hz").arg(song->Rate));
    Print(stdout, QStringLiteral("Slot count: %1").arg(doc.SlotCount));
    Print(stdout, QStringLiteral("Cache:      %1")
                      .arg(cache == TCacheResult::Reused ? QStringLiteral("reused")
                                                         : QStringLiteral("built")));
    std::fflush(stdout);
    return ExitDone;
}

// The beats through the same beat file as the editor: read when current, else found in the
// decoded song and written.
int CommandBeats(const QStringList& args) {
    const Arguments a = Parse(args, {}, {QStringLiteral("--json"), QStringLiteral("--onsets")});
    if (!a.Error.isEmpty())
        return UsageError(QStringLiteral("beats"), a.Error);
    if (a.Positional.size() != 1)
        return UsageError(QStringLiteral("beats"), QStringLiteral("beats needs one SONG"));
    const QString song = a.Positional[0];
    if (!QFileInfo(song).isFile()) {
        Print(stderr, QStringLiteral("lumivox-cli: %1 does not exist").arg(song));
        return ExitRefused;
    }
    if (!SongDecodes(song)) {
        Print(stderr, QStringLiteral("lumivox-cli: %1 is not an MP3 song").arg(song));
        return ExitRefused;
    }
    const TSongBeatsResult result = LoadOrFindBeats(song, TCachePlaces::Default());
    if (result.Origin == TBeatsOrigin::None) {
        Print(stderr,
              QStringLiteral("lumivox-cli: %1 cannot be analysed: %2").arg(song, result.Error));
        return ExitRefused;
    }
    if (result.BeatFile.isEmpty())
        Print(stderr,
              QStringLiteral("lumivox-cli: the beat file cannot be written: %1").arg(result.Error));
    const TSongBeats& beats = result.Beats;
    const bool onsets = a.Has("--onsets");
    if (a.Has("--json")) {
        JsonWriter json(stdout);
        json.BeginObject();
        json.Key("tempo_bpm");
        json.Decimal(beats.TempoBpm, 3);
        auto times = [&json](const char* key, const std::vector<double>& list) {
            json.Key(key);
            json.BeginArray();
            for (double ms : list)
                json.Decimal(ms, 1);
            json.EndArray();
        };
        times("beats_ms", beats.BeatsMs);
        if (onsets)
            times("onsets_ms", beats.OnsetsMs);
        json.EndObject();
        json.Finish();
        return ExitDone;
    }
    std::printf("%.3f\n", beats.TempoBpm);
    for (double ms : beats.BeatsMs)
        std::printf("%.1f\n", ms);
    if (onsets)
        for (double ms : beats.OnsetsMs)
            std::printf("onset %.1f\n", ms);
    std::fflush(stdout);
    return ExitDone;
}

int CommandDumpSeq(const QStringList& args) {
    const Arguments a = Parse(args, {}, {QStringLiteral("--json")});
    if (!a.Error.isEmpty())
        return UsageError(QStringLiteral("dump-seq"), a.Error);
    if (a.Positional.size() != 1)
        return UsageError(QStringLiteral("dump-seq"), QStringLiteral("dump-seq needs one FILE"));
    QFile file(a.Positional[0]);
    if (!file.open(QIODevice::ReadOnly)) {
        Print(stderr, QStringLiteral("The file %1 cannot be read: %2")
                          .arg(a.Positional[0], file.errorString()));
        return ExitRefused;
    }
    const QByteArray bytes = file.readAll();
    const TSequenceFileInfo info = ParseSequenceFile(bytes);
    if (a.Has("--json")) {
        JsonWriter json(stdout);
        json.BeginObject();
        json.Field("size", static_cast<long long>(info.FileSize));
        json.Field("length", static_cast<long long>(info.LengthField));
        json.Field("resolution_code", static_cast<long long>(info.ResolutionCode));
        json.Field("resolution_ms", static_cast<long long>(info.ResolutionMs));
        json.Key("frames");
        json.BeginArray();
        for (const auto& frame : info.Frames) {
            json.BeginObject();
            json.Field("slot", static_cast<long long>(frame.Slot));
            json.Key("entries");
            json.BeginArray();
            for (const auto& entry : frame.Entries) {
                json.BeginArray();
                json.Value(static_cast<long long>(entry.contactor));
                json.Value(static_cast<long long>(entry.value));
                json.EndArray();
            }
            json.EndArray();
            json.EndObject();
        }
        json.EndArray();
        json.Key("problems");
        json.BeginArray();
        for (const auto& problem : info.Problems)
            json.Value(problem.Text);
        json.EndArray();
        json.EndObject();
        json.Finish();
    } else {
        Print(stdout, QStringLiteral("Size:        %1 bytes").arg(info.FileSize));
        Print(stdout, QStringLiteral("Data length: %1 bytes").arg(info.LengthField));
        Print(stdout, QStringLiteral("Resolution:  code %1 (%2 ms)")
                          .arg(info.ResolutionCode)
                          .arg(info.ResolutionMs));
        Print(stdout, QStringLiteral("Frames:      %1").arg(info.Frames.size()));
        int index = 0;
        for (const auto& frame : info.Frames) {
            QString line = QStringLiteral("  frame %1: next slot %2, %3 entries:")
                               .arg(++index)
                               .arg(frame.Slot)
                               .arg(frame.Entries.size());
            for (const auto& entry : frame.Entries)
                line += QStringLiteral(" %1=%2").arg(entry.contactor).arg(entry.value);
            Print(stdout, line);
        }
    }
    std::fflush(stdout);
    for (const auto& problem : info.Problems)
        Print(stderr, QStringLiteral("problem: ") + problem.Text);
    return info.Problems.empty() ? ExitDone : ExitRefused;
}

} // namespace

int RunCommand(const QStringList& args) {
    static const std::map<QString, std::function<int(const QStringList&)>> commands = {
        {QStringLiteral("info"), CommandInfo},       {QStringLiteral("export"), CommandExport},
        {QStringLiteral("convert"), CommandConvert}, {QStringLiteral("dump-seq"), CommandDumpSeq},
        {QStringLiteral("peaks"), CommandPeaks},     {QStringLiteral("beats"), CommandBeats},
        {QStringLiteral("play"), CommandPlay},
    };
    const auto it = commands.find(args.first());
    if (it == commands.end())
        return UsageError(QString(), QStringLiteral("unknown command %1").arg(args.first()));
    const QStringList rest = args.mid(1);
    if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
        PrintCommandHelp(args.first());
        return ExitDone;
    }
    return it->second(rest);
}

} // namespace lumivox::cli
