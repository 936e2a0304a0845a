// The decoder component TMPEGPlayer: decodes an MP3 song into a 16-bit stereo WAV file on a
// thread of its own over libmpg123, at the stream's rate or resampled to another, and reports
// progress and the end by polling every 100 ms.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <thread>

struct mpg123_handle_struct;

namespace lumivox {

// Raised by the decoder component with one of its error codes and that code's text.
class TMPEGError : public std::runtime_error {
public:
    TMPEGError(int code, const QString& text)
        : std::runtime_error(text.toStdString()), ErrorCode(code), Message(text) {}
    int Code() const { return ErrorCode; }
    QString Text() const { return Message; }

private:
    int ErrorCode;
    QString Message;
};

// Priorities of the decoding thread, with the values of the original interface.
enum class TMPEGThreadPriority {
    Idle = -15,
    Lowest = -2,
    BelowNormal = -1,
    Normal = 0,
    AboveNormal = 1,
    Highest = 2,
    TimeCritical = 15
};

// Output devices; only the PCM file is realised here (songs are played by the player).
enum class TMPEGOutputDevice { wavemapper = 0, pcmfile = 2 };

class TMPEGPlayer : public QObject {
    Q_OBJECT
public:
    // Error codes and their texts. LastError() reads 0 when there was no error; the code 0
    // itself is raised only when the decoder library cannot be set up.
    static constexpr int LibraryNotLoaded = 0;
    static constexpr int InternalError = 1;
    static constexpr int IncorrectMode = 2;
    static constexpr int InputStreamError = 3;
    static constexpr int NonSeekable = 4;
    static constexpr int OutputDeviceFailure = 5;
    static constexpr int NoStreamName = 254;
    static QString ErrorText(int code);

    // Polling period in milliseconds.
    static constexpr int TimerFreq = 100;

    explicit TMPEGPlayer(QObject* parent = nullptr);
    ~TMPEGPlayer() override;
    TMPEGPlayer(const TMPEGPlayer&) = delete;
    TMPEGPlayer& operator=(const TMPEGPlayer&) = delete;

    // Opens the stream, closing any open one first. Raises code 254 for an empty name and
    // code 3 when the file cannot be read, is not a regular file or holds no MPEG audio.
    void Open(const QString& streamName);
    bool IsOpen() const { return Handle != nullptr; }
    QString StreamName() const { return Name; }

    // Stream length in sample frames, the unit of GetCurrentPos.
    std::int64_t GetLength() const { return Length; }
    // Sampling rate of the stream in Hz.
    long GetFrequency() const { return Frequency; }

    void SetPriority(TMPEGThreadPriority priority) { Priority = priority; }
    void SetOutputDevice(TMPEGOutputDevice device, const QString& path);
    // The rate of the PCM file written by Play: 0 (the default) for the stream's own rate,
    // otherwise the stream is resampled to it. The file then holds round(decoded frames x
    // rate / stream rate) frames; positions and the length stay in the stream's frames.
    void SetOutputRate(long rate) { OutputRate = rate; }

    // Starts decoding frames start..end (end 0: to the end of the stream) into the output
    // file and returns at once. Raises code 2 when no stream is open or decoding runs
    // already, code 5 when the output is not a PCM file or cannot be created. The decoding
    // thread sets the end flag when it is done; the polling then raises OnPlayEnd.
    void Play(std::int64_t start = 0, std::int64_t end = 0);
    bool IsPlaying() const { return Worker.joinable(); }

    // Sample frames decoded so far.
    std::int64_t GetCurrentPos() const { return Position.load(std::memory_order_relaxed); }

    // Ends decoding without OnPlayEnd; returns once the decoding thread has finished.
    void Stop();
    // Stops, then closes the stream. Safe when nothing is open.
    void Close();

    // Code of the last failure of Open, Play or the decoding thread, 0 when there was none.
    // A failure of the decoding thread shows here once OnPlayEnd has been raised.
    int LastError() const { return Error.load(std::memory_order_acquire); }

Q_SIGNALS:
    // Every TimerFreq ms while decoding: frames decoded (0 when above the length).
    void OnPosUpdate(qint64 position);
    // Once, after the decoding thread has set the end flag.
    void OnPlayEnd();

private:
    void Poll();
    void Decode(std::FILE* out, long rate, long outputRate, TMPEGThreadPriority priority,
                std::int64_t start, std::int64_t end);
    [[noreturn]] void Raise(int code);
    void ReleaseHandle();

    mpg123_handle_struct* Handle = nullptr;
    QString Name;
    std::int64_t Length = 0;
    long Frequency = 0;
    long OutputRate = 0;
    TMPEGThreadPriority Priority = TMPEGThreadPriority::Normal;
    TMPEGOutputDevice Device = TMPEGOutputDevice::pcmfile;
    QString OutputPath;

    QTimer PollTimer;
    std::thread Worker;
    int PlayCount = 0; // tells a poll that Stop or Play ran while it reported
    // Shared with the decoding thread.
    std::atomic<std::uint8_t> EndFlag{0};
    std::atomic<bool> StopRequested{false};
    std::atomic<std::int64_t> Position{0};
    std::atomic<int> Error{0};
};

} // namespace lumivox
