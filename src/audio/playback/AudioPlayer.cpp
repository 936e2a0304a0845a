// The media player on the UI thread: opening a song on the device or the null output, the
// transport commands it posts to the playback session, the position the listener hears, and
// the watch over the device that moves to the null output when the device is lost and back
// to a device on the next Play.
#include "audio/playback/AudioPlayer.h"

#include "audio/decode/SongLength.h"
#include "audio/playback/DeviceOutputSupport.h"
#include "audio/playback/PlaybackSession.h"

#include <algorithm>

namespace lumivox {

namespace {} // namespace

AudioPlayer::AudioPlayer() : AudioPlayer(Options{OpenDeviceOutput, {}}) {}

AudioPlayer::AudioPlayer(Options options) : Opts(std::move(options)) {
    SilenceSoundLibraryMessages();
}

AudioPlayer::~AudioPlayer() {
    Opts.OutputChanged = nullptr; // the window may be half gone already
    Close();
}

std::chrono::nanoseconds AudioPlayer::Now() const {
    return Opts.NullClock ? Opts.NullClock() : SteadyNow();
}

bool AudioPlayer::Open(const QString& path) {
    Close();
    const std::optional<SongInfo> info = MeasureSong(path);
    if (!info || info->Rate <= 0 || info->Samples <= 0) {
        NotifyOutputChanged();
        return false;
    }
    PlaybackSession::DecoderHandle decoder = PlaybackSession::OpenDecoder(path, info->Rate);
    if (!decoder) {
        NotifyOutputChanged();
        return false;
    }

    auto session = std::make_unique<PlaybackSession>(info->Rate, info->Samples, std::move(decoder));
    Epoch = 0;
    StartFrame = 0;
    PlayingWanted = false;
    RangeStart = RangeEnd = 0;
    WrapsBefore = 0;
    ReportedEpoch = 0;
    ReportedHeard = -1;
    WatchHeard = -1;
    DeviceLost = LossUnreported = false;
    OutputStale = false;
    Stream = TPlayStream::ToEnd(StartFrame, info->Samples);
    session->Loop.store(Looping, std::memory_order_release);
    session->PublishStream(Epoch, Stream);
    session->Command.store(PlaybackSession::PackCommand(Epoch, StartFrame, PlayingWanted));

    std::unique_ptr<AudioOutput> output;
    if (Opts.DeviceOutput)
        output = Opts.DeviceOutput(info->Rate, *session);
    if (output && (output->Rate() <= 0 || !output->Start()))
        output.reset();
    if (!output) {
        output = std::make_unique<NullOutput>(info->Rate, *session, Opts.NullClock);
        output->Start();
    }
    // Before the feeder's first epoch, which reads it.
    session->OutRate.store(output->Rate(), std::memory_order_release);
    session->Output = std::move(output);
    session->StartFeeder();
    SongLengthMs = info->LengthMs;
    Session = std::move(session);
    NotifyOutputChanged();
    return true;
}

void AudioPlayer::Close() {
    if (!Session) {
        NotifyOutputChanged();
        return;
    }
    Session.reset(); // stops the output, then the feeder
    SongLengthMs = 0;
    Epoch = 0;
    StartFrame = 0;
    PlayingWanted = false;
    RangeStart = RangeEnd = 0;
    WrapsBefore = 0;
    WatchHeard = -1;
    DeviceLost = LossUnreported = false;
    NotifyOutputChanged();
}

bool AudioPlayer::IsOpen() const {
    return Session != nullptr;
}

void AudioPlayer::Play() {
    if (!Session)
        return;
    SettleFinished();
    if (PlayingWanted)
        return;
    // From the range's start at or past the range's end, and from 0 at the song's end.
    std::int64_t from = StartFrame;
    if (RangeEnd > RangeStart && from >= RangeEnd)
        from = RangeStart;
    else if (PositionMs() >= LengthMs())
        from = 0;
    // After a loss, or with a device that has said it is gone, the device is tried again;
    // a new output starts playing from `from` at once.
    const bool gone = Session->Output->Kind() == TOutputKind::Device && Session->Output->Lost();
    if (OutputStale) {
        ReplaceOutput(from);
    } else if ((DeviceLost || gone) && !RegainDevice(from) && gone) {
        RememberLostDevice();
        UseOutput(std::make_unique<NullOutput>(Session->Rate, *Session, Opts.NullClock), true,
                  from);
        DeviceLost = LossUnreported = true;
    }
    if (!PlayingWanted) {
        if (from != StartFrame || StreamFrom(from, true) != Stream)
            PostCommand(from, true, true);
        else
            PostCommand(StartFrame, true, false); // the feeder has this stream ready already
    }
    NotifyOutputChanged();
}

void AudioPlayer::Stop() {
    if (!Session)
        return;
    SettleFinished();
    if (PlayingWanted)
        PostCommand(PositionFrame(), false, true);
}

void AudioPlayer::Seek(std::int64_t ms) {
    if (!Session)
        return;
    SettleFinished();
    ms = std::clamp<std::int64_t>(ms, 0, SongLengthMs);
    // Round up, so the position read back in milliseconds is the one asked for.
    const std::int64_t frame = (ms * Session->Rate + 999) / 1000;
    PostCommand(std::min(frame, Session->EndFrame), PlayingWanted, true);
}

void AudioPlayer::SetPlayRange(std::int64_t startMs, std::int64_t endMs) {
    if (!Session)
        return;
    startMs = std::clamp<std::int64_t>(startMs, 0, SongLengthMs);
    endMs = std::clamp<std::int64_t>(endMs, 0, SongLengthMs);
    // Rounded as Seek rounds, so a range from where a Seek went starts there.
    RangeStart = std::min((startMs * Session->Rate + 999) / 1000, Session->EndFrame);
    RangeEnd = std::min((endMs * Session->Rate + 999) / 1000, Session->EndFrame);
    if (RangeEnd <= RangeStart)
        RangeStart = RangeEnd = 0;
}

void AudioPlayer::ClearPlayRange() {
    RangeStart = RangeEnd = 0;
}

void AudioPlayer::SetLooping(bool on) {
    Looping = on;
    if (Session)
        Session->Loop.store(on, std::memory_order_release);
}

std::int64_t AudioPlayer::RangeWraps() const {
    if (!Session || !PlayingWanted)
        return WrapsBefore;
    return WrapsBefore + HeardPlace().Wraps;
}

TPlayStream AudioPlayer::StreamFrom(std::int64_t frame, bool playing) const {
    if (RangeEnd <= RangeStart)
        return TPlayStream::ToEnd(frame, Session->EndFrame);
    // Playing from the range's end or later plays nothing, unless the range loops.
    if (playing && frame >= RangeEnd && Looping)
        frame = RangeStart;
    return {frame, RangeStart, RangeEnd};
}

bool AudioPlayer::PollOutput() {
    if (!Session)
        return false;
    if (LossUnreported) {
        LossUnreported = false;
        NotifyOutputChanged();
        return true;
    }
    AudioOutput& output = *Session->Output;
    if (output.Kind() != TOutputKind::Device || !PlayingWanted || FinishedPlaying()) {
        WatchHeard = -1;
        return false;
    }
    const std::chrono::nanoseconds now = Now();
    const std::int64_t heard = output.HeardFrames();
    if (heard != WatchHeard) {
        WatchHeard = heard;
        WatchSince = now;
        WatchFrame = PositionFrame();
        if (!output.Lost())
            return false;
    }
    if (!output.Lost() && now - WatchSince < StallLimit)
        return false;
    // No show time is lost: the song goes on from where it was heard last, as far on as the
    // time since then (round a range that loops).
    FailOver(Stream.After(WatchFrame, FramesIn(now - WatchSince, Session->Rate),
                          Looping && Stream.IsRange()));
    NotifyOutputChanged();
    return true;
}

void AudioPlayer::RememberLostDevice() {
    LostHostApi = Session->Output->HostApi();
    LostDevice = Session->Output->Device();
    LostJack = Session->Output->IsJack();
}

void AudioPlayer::FailOver(std::int64_t frame) {
    RememberLostDevice();
    UseOutput(std::make_unique<NullOutput>(Session->Rate, *Session, Opts.NullClock), true, frame);
    DeviceLost = true;
}

bool AudioPlayer::RegainDevice(std::int64_t frame) {
    if (!Opts.DeviceOutput)
        return false;
    std::unique_ptr<AudioOutput> device = Opts.DeviceOutput(Session->Rate, *Session);
    if (!device || device->Rate() <= 0)
        return false;
    const bool current = Session->Output->Kind() == TOutputKind::Device;
    if (!UseOutput(std::move(device), current, frame))
        return false;
    DeviceLost = LossUnreported = false;
    return true;
}

void AudioPlayer::ReplaceOutput(std::int64_t frame) {
    OutputStale = false;
    // The current output lets go of its device first: the new choice may be the same device.
    if (Session->Output->Kind() == TOutputKind::Device && Session->Output->Lost())
        Session->Output->Abandon();
    else
        Session->Output->Stop();
    std::unique_ptr<AudioOutput> output;
    if (Opts.DeviceOutput)
        output = Opts.DeviceOutput(Session->Rate, *Session);
    if (!output || output->Rate() <= 0)
        output = std::make_unique<NullOutput>(Session->Rate, *Session, Opts.NullClock);
    UseOutput(std::move(output), false, frame);
    DeviceLost = LossUnreported = false;
}

bool AudioPlayer::UseOutput(std::unique_ptr<AudioOutput> output, bool abandonCurrent,
                            std::int64_t frame) {
    // The current output lets go of the session before the new one may render from it.
    if (abandonCurrent)
        Session->Output->Abandon();
    else
        Session->Output->Stop();
    WatchHeard = -1;
    for (bool first = true;; first = false) {
        // The rate first, then the epoch that plays at it, then the output that asks for it.
        Session->OutRate.store(output->Rate(), std::memory_order_release);
        Session->Output = std::move(output);
        PostCommand(frame, true, true);
        if (Session->Output->Start())
            return first;
        output = std::make_unique<NullOutput>(Session->Rate, *Session, Opts.NullClock);
    }
}

TPlayStream::TPlace AudioPlayer::HeardPlace() const {
    if (Session->ClockEpoch.load(std::memory_order_acquire) != (Epoch & PlaybackSession::EpochMask))
        return {StartFrame, 0, false};
    const std::int64_t out =
        Session->Output->HeardFrames() + Session->ClockOffset.load(std::memory_order_acquire);
    const long outRate = Session->OutRate.load(std::memory_order_relaxed);
    std::int64_t heard = outRate == Session->Rate ? out : out * Session->Rate / outRate;
    heard = std::max<std::int64_t>(heard, 0);
    if (ReportedEpoch == Epoch)
        heard = std::max(heard, ReportedHeard);
    ReportedEpoch = Epoch;
    ReportedHeard = heard;
    return Stream.PlaceOf(heard, Session->EndsAtWrap(Epoch & PlaybackSession::EpochMask));
}

std::int64_t AudioPlayer::PositionFrame() const {
    if (!Session)
        return 0;
    if (!PlayingWanted)
        return StartFrame;
    return HeardPlace().Frame;
}

std::int64_t AudioPlayer::PositionMs() const {
    return Session ? PositionFrame() * 1000 / Session->Rate : 0;
}

std::int64_t AudioPlayer::LengthMs() const {
    return SongLengthMs;
}

std::int64_t AudioPlayer::LengthFrames() const {
    return Session ? Session->EndFrame : 0;
}

long AudioPlayer::SampleRate() const {
    return Session ? Session->Rate : 0;
}

TMediaMode AudioPlayer::Mode() const {
    if (!Session)
        return TMediaMode::NotOpen;
    return PlayingWanted && !FinishedPlaying() ? TMediaMode::Playing : TMediaMode::Stopped;
}

TOutputKind AudioPlayer::OutputKind() const {
    return Session ? Session->Output->Kind() : TOutputKind::Null;
}

QString AudioPlayer::OutputName() const {
    return Session ? Session->Output->Name() : QString();
}

TOutputInfo AudioPlayer::OutputInfo() const {
    TOutputInfo info;
    if (!Session)
        return info;
    const AudioOutput& output = *Session->Output;
    info.Kind = output.Kind();
    info.DeviceRate = output.Rate();
    info.SongRate = Session->Rate;
    info.Lost = DeviceLost;
    info.Jack = DeviceLost ? LostJack : output.IsJack();
    info.HostApi = DeviceLost ? LostHostApi : output.HostApi();
    info.Device = DeviceLost ? LostDevice : output.Device();
    info.Missing = Opts.DeviceMissing && Opts.DeviceMissing();
    return info;
}

void AudioPlayer::NotifyOutputChanged() {
    TOutputInfo now = OutputInfo();
    if (now == Notified)
        return;
    Notified = std::move(now);
    if (Opts.OutputChanged)
        Opts.OutputChanged();
}

bool AudioPlayer::FinishedPlaying() const {
    return PlayingWanted && HeardPlace().Ended;
}

// Once the end has been heard the player is stopped at the end (the song's or the range's),
// whatever the audio thread still pads; make the command say so before acting on a new one.
void AudioPlayer::SettleFinished() {
    if (FinishedPlaying())
        PostCommand(Stream.End, false, true);
}

void AudioPlayer::PostCommand(std::int64_t startFrame, bool playing, bool newPosition) {
    if (newPosition) {
        WrapsBefore = RangeWraps();
        Epoch = (Epoch + 1) & PlaybackSession::EpochMask;
        Stream = StreamFrom(startFrame, playing);
        startFrame = Stream.Start;
        // The stream before the command that plays it: the audio threads read it for that
        // command's epoch.
        Session->PublishStream(Epoch, Stream);
    }
    StartFrame = startFrame;
    PlayingWanted = playing;
    Session->CommandFrame.store(Session->Output->DueFrames(), std::memory_order_relaxed);
    Session->Post(PlaybackSession::PackCommand(Epoch, StartFrame, PlayingWanted));
}

bool AudioPlayer::RecordNextStart(std::size_t frames) {
    if (!Session || frames == 0)
        return false;
    int state = Session->RecordState.load(std::memory_order_acquire);
    if (state == PlaybackSession::RecordArmed &&
        !Session->RecordState.compare_exchange_strong(state, PlaybackSession::RecordIdle,
                                                      std::memory_order_acq_rel))
        return false; // the output thread began recording meanwhile
    if (state == PlaybackSession::RecordRunning)
        return false;
    Session->RecordBuffer.assign(frames * SampleRing::Channels, 0);
    Session->RecordWanted = frames;
    Session->RecordFilled = 0;
    Session->RecordState.store(PlaybackSession::RecordArmed, std::memory_order_release);
    return true;
}

std::optional<AudioPlayer::TRecording> AudioPlayer::TakeRecording() {
    if (!Session ||
        Session->RecordState.load(std::memory_order_acquire) != PlaybackSession::RecordComplete)
        return std::nullopt;
    TRecording recording;
    recording.StartFrame = Session->RecordStart;
    recording.Rate = Session->RecordRate;
    recording.Frames.assign(
        Session->RecordBuffer.begin(),
        Session->RecordBuffer.begin() +
            static_cast<std::ptrdiff_t>(Session->RecordFilled * SampleRing::Channels));
    Session->RecordState.store(PlaybackSession::RecordIdle, std::memory_order_release);
    return recording;
}

} // namespace lumivox
