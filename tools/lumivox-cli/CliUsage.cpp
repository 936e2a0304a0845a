// The help texts of lumivox-cli, one block per command, and the ways they are printed.
#include "lumivox-cli/CliUsage.h"

#include "lumivox-cli/CliCommands.h"

#include <cstdio>
#include <iterator>

#ifndef LUMIVOX_VERSION
#define LUMIVOX_VERSION "?"
#endif

namespace lumivox::cli {

namespace {

struct CommandHelp {
    const char* Name;
    const char* Synopsis;
    const char* Description; // indented lines, each ending in a line break
};

constexpr CommandHelp Commands[] = {
    {"info", "info PROJECT [--song MP3] [--json] [--values]",
     "      Show the project: version, name, song, resolution, slot count, text fields,\n"
     "      comments and every track (--values: every slot value).\n"},
    {"export", "export PROJECT [-o FILE|FOLDER] [--yes] [--song MP3]",
     "      Write the sequence file for the playback unit (default: beside the song,\n"
     "      named after it with the extension .seq; a FOLDER gets the file of that name).\n"
     "      --yes replaces an existing file.\n"},
    {"convert", "convert IN OUT [--yes] [--song MP3]",
     "      Read a project of any version (1.0.0 to 1.0.3) and write it as 1.0.3.\n"
     "      --yes replaces an existing OUT.\n"},
    {"dump-seq", "dump-seq FILE [--json]",
     "      Show the header and every frame of a sequence file, checking its size\n"
     "      and length field.\n"},
    {"peaks", "peaks SONG",
     "      Build or refresh the song's waveform cache (.pks and .nfo beside the song,\n"
     "      or in the per-user cache folder when the song's folder is read-only) as the\n"
     "      editor does, and show the peak records, the length, the slot count and\n"
     "      whether the cache was reused.\n"},
    {"beats", "beats SONG [--json] [--onsets]",
     "      Find the song's beats as the editor does (reading its beat file, SONG.beats\n"
     "      beside it or in the per-user cache folder, while the song is unchanged) and\n"
     "      print the tempo in BPM on the first line (0 when none was found), then each\n"
     "      beat time in ms, one a line; --onsets adds the onset (attack) times after\n"
     "      them, each line starting with \"onset \". --json prints {\"tempo_bpm\": ...,\n"
     "      \"beats_ms\": [...]}, with \"onsets_ms\": [...] only when --onsets is given.\n"},
    {"play", "play PROJECT [--port DEVICE] [--dmx UNIVERSE [--ola-port PORT]] [--offset MS]",
     "      Play the show without a window against its song (on the default sound\n"
     "      device, or a silent clock when none opens), sending the outputs' changes to\n"
     "      the playback unit on the serial DEVICE as the editor's real-time mode does\n"
     "      (--dmx: to that OLA universe too, through olad on its RPC PORT, 9010 unless\n"
     "      told). --offset: the outputs lead the song by MS (-500 to 500; negative:\n"
     "      they trail it). Ctrl+C, SIGTERM or the song's end stops it and sends every\n"
     "      output 0.\n"},
};

const CommandHelp* Find(const QString& command) {
    for (const CommandHelp& help : Commands)
        if (command == QLatin1String(help.Name))
            return &help;
    return nullptr;
}

} // namespace

void PrintUsage(bool toError) {
    std::FILE* out = toError ? stderr : stdout;
    std::fputs("Usage: lumivox-cli COMMAND [OPTIONS]\n"
               "       lumivox-cli COMMAND --help\n"
               "       lumivox-cli --version\n"
               "\n"
               "Commands:\n",
               out);
    for (const CommandHelp& help : Commands)
        std::fprintf(out, "  %s\n%s", help.Synopsis, help.Description);
    std::fputs("\n"
               "  --song MP3   use this song when the project's song no longer exists or cannot\n"
               "               be used\n"
               "\n"
               "Songs are opened as in the editor: a song without a current waveform cache is\n"
               "decoded once to build it. Files are written to a temporary file beside them and\n"
               "replace the old one only once complete: a failed write leaves it as it was.\n"
               "\n"
               "Exit codes: 0 done; 1 usage; 2 the project, song, file or port was refused or\n"
               "unreadable, or a file could not be written; 3 the output exists and --yes was not\n"
               "given; 4 sequence written but not whole (too many events, or a show longer than\n"
               "the file can name).\n",
               out);
}

bool PrintCommandHelp(const QString& command) {
    const CommandHelp* help = Find(command);
    if (help == nullptr)
        return false;
    std::printf("Usage: lumivox-cli %s\n%s", help->Synopsis, help->Description);
    if (command != QLatin1String("dump-seq") && command != QLatin1String("peaks") &&
        command != QLatin1String("beats"))
        std::printf("  --song MP3   use this song when the project's song no longer exists or\n"
                    "               cannot be used\n");
    std::fflush(stdout);
    return true;
}

void PrintVersion() {
    std::printf("lumivox-cli %s\n", LUMIVOX_VERSION);
    std::fflush(stdout);
}

int UsageError(const QString& command, const QString& message) {
    std::fprintf(stderr, "lumivox-cli: %s\n", message.toUtf8().constData());
    if (const CommandHelp* help = Find(command)) {
        std::fprintf(stderr, "Usage: lumivox-cli %s (see lumivox-cli %s --help)\n", help->Synopsis,
                     help->Name);
    } else {
        QString names;
        for (const CommandHelp& each : Commands)
            names += (names.isEmpty() ? QString() : QStringLiteral(", ")) +
                     QString::fromLatin1(each.Name);
        std::fprintf(stderr, "Commands: %s (see lumivox-cli --help)\n", names.toUtf8().constData());
    }
    return ExitUsage;
}

} // namespace lumivox::cli
