// The decoder component over libmpg123: the stream is opened and measured on the owner's
// thread; Play hands the handle and an open output file to a decoding thread that shares
// only atomics with the owner, which polls them on a timer.
#include "audio/decode/Mp3Decoder.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include "audio/decode/Mpg123Handle.h"
#include "audio/decode/Resampler.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <vector>

namespace lumivox {

namespace {

constexpr int WavHeaderBytes = 44;
constexpr int OutputChannels = 2;
constexpr int BytesPerFrame = 4; // 16-bit stereo
// The largest data chunk a RIFF file can describe, in whole frames.
constexpr std::uint64_t MaxDataBytes = (0xFFFFFFFFull - 36) / BytesPerFrame * BytesPerFrame;
constexpr std::size_t DecodeBufferBytes = 128 * 1024;

std::array<char, WavHeaderBytes> WavHeader(long rate, std::uint32_t dataBytes) {
    std::array<char, WavHeaderBytes> h{};
    auto put16 = [&h](int at, std::uint16_t v) { qToLittleEndian(v, h.data() + at); };
    auto put32 = [&h](int at, std::uint32_t v) { qToLittleEndian(v, h.data() + at); };
    std::memcpy(h.data(), "RIFF", 4);
    put32(4, 36 + dataBytes);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1); // integer PCM
    put16(22, OutputChannels);
    put32(24, static_cast<std::uint32_t>(rate));
    put32(28, static_cast<std::uint32_t>(rate) * BytesPerFrame);
    put16(32, BytesPerFrame);
    put16(34, 16);
    std::memcpy(h.data() + 36, "data", 4);
    put32(40, dataBytes);
    return h;
}

// Nice value of the decoding thread for each priority; raising it above normal needs
// privileges and is skipped without them.
int NiceValue(TMPEGThreadPriority priority) {
    switch (priority) {
    case TMPEGThreadPriority::Idle:
        return 19;
    case TMPEGThreadPriority::Lowest:
        return 10;
    case TMPEGThreadPriority::BelowNormal:
        return 5;
    case TMPEGThreadPriority::Normal:
        return 0;
    case TMPEGThreadPriority::AboveNormal:
        return -5;
    case TMPEGThreadPriority::Highest:
        return -10;
    case TMPEGThreadPriority::TimeCritical:
        return -15;
    }
    return 0;
}

} // namespace

QString TMPEGPlayer::ErrorText(int code) {
    switch (code) {
    case LibraryNotLoaded:
        return QStringLiteral("MPEG library not loaded");
    case InternalError:
        return QStringLiteral("Internal decoder error");
    case IncorrectMode:
        return QStringLiteral("Incorrect mode");
    case InputStreamError:
        return QStringLiteral("Input stream error");
    case NonSeekable:
        return QStringLiteral("Input stream is non-seekable");
    case OutputDeviceFailure:
        return QStringLiteral("Output device failure");
    case NoStreamName:
        return QStringLiteral("Can't play non-specified stream");
    default:
        return QString();
    }
}

TMPEGPlayer::TMPEGPlayer(QObject* parent) : QObject(parent) {
    PollTimer.setInterval(TimerFreq);
    connect(&PollTimer, &QTimer::timeout, this, &TMPEGPlayer::Poll);
}

TMPEGPlayer::~TMPEGPlayer() {
    Close();
}

void TMPEGPlayer::Raise(int code) {
    Error.store(code, std::memory_order_release);
    throw TMPEGError(code, ErrorText(code));
}

void TMPEGPlayer::ReleaseHandle() {
    if (!Handle)
        return;
    mpg123_close(Handle);
    mpg123_delete(Handle);
    Handle = nullptr;
}

void TMPEGPlayer::Open(const QString& streamName) {
    Close();
    Error.store(0, std::memory_order_release);
    if (streamName.isEmpty())
        Raise(NoStreamName);
    Name = streamName;
    // Only regular files: a pipe or a device could block the caller's thread for ever.
    if (!QFileInfo(streamName).isFile())
        Raise(InputStreamError);
    InitialiseDecoderLibrary();
    int status = MPG123_OK;
    Handle = mpg123_new(nullptr, &status);
    if (!Handle)
        Raise(LibraryNotLoaded);
    mpg123_param(Handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO, 0.0);
    // 16-bit stereo at the stream's own rate, whatever the source holds.
    mpg123_format_none(Handle);
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i)
        mpg123_format(Handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (!OpenMpg123File(Handle, streamName) ||
        mpg123_getformat(Handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        !MakeLengthExact(Handle, streamName)) {
        ReleaseHandle();
        Raise(InputStreamError);
    }
    const off_t length = mpg123_length(Handle);
    if (length < 0) {
        ReleaseHandle();
        Raise(InputStreamError);
    }
    Length = static_cast<std::int64_t>(length);
    Frequency = rate;
}

void TMPEGPlayer::SetOutputDevice(TMPEGOutputDevice device, const QString& path) {
    Device = device;
    OutputPath = path;
}

void TMPEGPlayer::Play(std::int64_t start, std::int64_t end) {
    if (!Handle || Worker.joinable())
        Raise(IncorrectMode);
    if (Device != TMPEGOutputDevice::pcmfile || OutputPath.isEmpty())
        Raise(OutputDeviceFailure);
    start = std::clamp<std::int64_t>(start, 0, Length);
    if (mpg123_seek(Handle, static_cast<off_t>(start), SEEK_SET) < 0)
        Raise(NonSeekable);
    std::FILE* out = std::fopen(QFile::encodeName(OutputPath).constData(), "wb");
    if (!out)
        Raise(OutputDeviceFailure);
    Error.store(0, std::memory_order_release);
    EndFlag.store(0, std::memory_order_release);
    StopRequested.store(false, std::memory_order_release);
    Position.store(0, std::memory_order_relaxed);
    ++PlayCount;
    Worker = std::thread(&TMPEGPlayer::Decode, this, out, Frequency,
                         OutputRate > 0 ? OutputRate : Frequency, Priority, start,
                         end > start ? end : 0);
    PollTimer.start();
}

void TMPEGPlayer::Decode(std::FILE* out, long rate, long outputRate, TMPEGThreadPriority priority,
                         std::int64_t start, std::int64_t end) {
    if (const int nice = NiceValue(priority); nice != 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice);
    // The range is counted in the stream's frames, before any resampling.
    const std::uint64_t limit =
        end > 0 ? std::min<std::uint64_t>(static_cast<std::uint64_t>(end - start) * BytesPerFrame,
                                          MaxDataBytes)
                : MaxDataBytes;
    int code = 0;
    std::uint64_t consumed = 0; // bytes of the stream's frames decoded
    std::uint64_t written = 0;  // bytes written to the file's data
    std::vector<std::int16_t> buffer(DecodeBufferBytes / sizeof(std::int16_t));
    std::unique_ptr<TResampler> resampler;
    std::vector<std::int16_t> resampled;
    if (outputRate != rate) {
        resampler = std::make_unique<TResampler>(rate, outputRate);
        if (!resampler->IsValid())
            code = InternalError;
        resampled.resize(resampler->OutputRoomFor(DecodeBufferBytes / BytesPerFrame) *
                         OutputChannels);
    }
    auto write = [&](const void* data, std::uint64_t bytes) {
        bytes = std::min(bytes, MaxDataBytes - written);
        if (bytes > 0 && std::fwrite(data, 1, bytes, out) != bytes)
            code = OutputDeviceFailure;
        written += bytes;
    };
    auto writeResampled = [&](std::size_t frames) {
        write(resampled.data(), static_cast<std::uint64_t>(frames) * BytesPerFrame);
    };
    if (std::fwrite(WavHeader(outputRate, 0).data(), 1, WavHeaderBytes, out) != WavHeaderBytes)
        code = OutputDeviceFailure;
    while (code == 0 && consumed < limit && !StopRequested.load(std::memory_order_acquire)) {
        std::size_t done = 0;
        const int status = mpg123_read(Handle, reinterpret_cast<unsigned char*>(buffer.data()),
                                       DecodeBufferBytes, &done);
        if (status == MPG123_NEW_FORMAT) {
            long newRate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(Handle, &newRate, &channels, &encoding);
            // A stream that changes its rate midway cannot be described by one header.
            if (newRate != rate)
                code = InputStreamError;
            continue;
        }
        const std::uint64_t take = std::min<std::uint64_t>(done, limit - consumed);
        if (take > 0) {
            if (resampler)
                writeResampled(resampler->Process(
                    buffer.data(), static_cast<std::size_t>(take / BytesPerFrame), resampled.data(),
                    resampled.size() / OutputChannels));
            else
                write(buffer.data(), take);
            consumed += take;
            Position.store(static_cast<std::int64_t>(consumed / BytesPerFrame),
                           std::memory_order_relaxed);
        }
        if (status == MPG123_DONE)
            break;
        if (status != MPG123_OK)
            code = status == MPG123_ERR_READER ? InputStreamError : InternalError;
    }
    if (resampler && code == 0) {
        // What the filter still holds, then exactly as many frames as the stream's length
        // gives at the new rate (the filter rounds its last frame either way).
        for (std::size_t frames = 0;
             (frames = resampler->Flush(resampled.data(), resampled.size() / OutputChannels)) > 0;)
            writeResampled(frames);
        const std::uint64_t wanted =
            (consumed / BytesPerFrame * static_cast<std::uint64_t>(outputRate) +
             static_cast<std::uint64_t>(rate) / 2) /
            static_cast<std::uint64_t>(rate) * BytesPerFrame;
        if (written < wanted) {
            std::fill(resampled.begin(), resampled.end(), std::int16_t{0});
            while (code == 0 && written < wanted)
                write(resampled.data(),
                      std::min<std::uint64_t>(wanted - written, resampled.size() * 2));
        } else if (written > wanted) {
            if (std::fflush(out) != 0 ||
                ftruncate(fileno(out), static_cast<off_t>(WavHeaderBytes + wanted)) != 0)
                code = OutputDeviceFailure;
            written = wanted;
        }
    }
    // The header gets the real sizes, also after a stop or an error.
    const auto header = WavHeader(outputRate, static_cast<std::uint32_t>(written));
    if (std::fseek(out, 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, WavHeaderBytes, out) != WavHeaderBytes)
        code = code ? code : OutputDeviceFailure;
    if (std::fclose(out) != 0)
        code = code ? code : OutputDeviceFailure;
    if (code)
        Error.store(code, std::memory_order_release);
    EndFlag.store(1, std::memory_order_release);
}

void TMPEGPlayer::Poll() {
    const bool ended = EndFlag.load(std::memory_order_acquire) != 0;
    std::int64_t position = GetCurrentPos();
    if (position > Length)
        position = 0;
    const int playing = PlayCount;
    Q_EMIT OnPosUpdate(position);
    // A slot may have stopped or restarted decoding meanwhile.
    if (!ended || playing != PlayCount || !Worker.joinable())
        return;
    PollTimer.stop();
    Worker.join();
    EndFlag.store(0, std::memory_order_release);
    Q_EMIT OnPlayEnd();
}

void TMPEGPlayer::Stop() {
    PollTimer.stop();
    ++PlayCount;
    if (Worker.joinable()) {
        StopRequested.store(true, std::memory_order_release);
        Worker.join();
    }
    EndFlag.store(0, std::memory_order_release);
}

void TMPEGPlayer::Close() {
    Stop();
    ReleaseHandle();
    Length = 0;
    Frequency = 0;
}

} // namespace lumivox
