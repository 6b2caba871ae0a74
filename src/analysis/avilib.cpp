#include "analysis/avilib.h"

#include "analysis/AviResult.h"
#include "platform/Error.h"
#include "platform/SafeFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace lumora::analysis {

namespace {

constexpr int kIoBufferSize = 1 << 16;
// The encoder keys every keyint_min + 1 frames: a key frame every 7.
constexpr int kKeyFrameSpacing = 7;
// The stream header's quality field: 40 bytes into the data of the video stream's "strh" chunk.
constexpr int kQualityOffset = 8 + 40;

std::string Extension(const std::string& fileName) {
    return std::filesystem::path(fileName).extension().string();
}

template <typename T, void (*Free)(T**)> struct TFreeing {
    void operator()(T* p) const { Free(&p); }
};

// The temporary file as FFmpeg's output: writes and seeks on its descriptor.
int WriteToFile(void* opaque, std::uint8_t* data, int size) {
    const int fd = static_cast<platform::TSafeFile*>(opaque)->Fd();
    int done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, std::size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return AVERROR(n < 0 ? errno : ENOSPC);
        done += int(n);
    }
    return size;
}

std::int64_t SeekInFile(void* opaque, std::int64_t offset, int whence) {
    const int fd = static_cast<platform::TSafeFile*>(opaque)->Fd();
    if (whence & AVSEEK_SIZE) {
        struct stat s {};
        return ::fstat(fd, &s) == 0 ? std::int64_t(s.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : std::int64_t(at);
}

} // namespace

namespace {

// Processor seconds the calling thread has used.
double ThreadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

} // namespace

std::optional<std::string> MissingEncoder(TVideoCodec codec) {
    if (avcodec_find_encoder(codec == TVideoCodec::Msvc ? AV_CODEC_ID_MSVIDEO1 : AV_CODEC_ID_H264))
        return std::nullopt;
    return codec == TVideoCodec::Msvc ? "no Microsoft Video 1 encoder (msvideo1) in this FFmpeg"
                                      : "no H.264 encoder (libx264) in this FFmpeg";
}

int CaptureSide(int pixels) {
    return pixels < 4 ? 0 : pixels & ~3;
}

struct TVideoWriter::Impl {
    std::unique_ptr<platform::TSafeFile> File;
    AVFormatContext* Format = nullptr;
    AVIOContext* Io = nullptr;
    AVCodecContext* Encoder = nullptr;
    AVStream* Stream = nullptr;
    AVFrame* Picture = nullptr;
    AVPacket* Packet = nullptr;
    SwsContext* Scaler = nullptr;
    int Width = 0, Height = 0;
    int Position = 0;
    int Sent = 0;                     // frames given to the encoder
    std::vector<std::uint8_t> Padded; // a frame smaller than the stream, grown with black

    ~Impl() {
        sws_freeContext(Scaler);
        av_packet_free(&Packet);
        av_frame_free(&Picture);
        avcodec_free_context(&Encoder);
        if (Format) {
            Format->pb = nullptr;
            avformat_free_context(Format);
        }
        if (Io) {
            av_freep(&Io->buffer);
            avio_context_free(&Io);
        }
        // A file that was not finished is removed with its TSafeFile.
    }
};

TVideoWriter::TVideoWriter() = default;

TVideoWriter::~TVideoWriter() = default;

bool TVideoWriter::IsOpen() const {
    return m != nullptr;
}

int TVideoWriter::FramePosition() const {
    return m ? m->Position : 0;
}

int TVideoWriter::Width() const {
    return m ? m->Width : 0;
}

int TVideoWriter::Height() const {
    return m ? m->Height : 0;
}

std::string TVideoWriter::TempPath() const {
    return m && m->File ? m->File->TempPath() : std::string();
}

namespace {

void CheckLibrary(int result, TAviStage stage, const std::string& context) {
    CheckAviResult(AviResultOf(result, stage), context);
}

AVCodecContext* MakeEncoder(TVideoCodec codec, int width, int height, int rate, bool global) {
    const AVCodec* encoder =
        avcodec_find_encoder(codec == TVideoCodec::Msvc ? AV_CODEC_ID_MSVIDEO1 : AV_CODEC_ID_H264);
    const std::string context = "Unable to create Compression Stream";
    if (!encoder)
        throw Error(context + AviResultText(kAviNoCompressor) + " (" + *MissingEncoder(codec) +
                    ")");
    AVCodecContext* c = avcodec_alloc_context3(encoder);
    if (!c)
        throw Error(context + AviResultText(kAviMemory));
    c->width = width;
    c->height = height;
    c->time_base = AVRational{1, rate};
    c->framerate = AVRational{rate, 1};
    if (codec == TVideoCodec::Msvc) {
        c->pix_fmt = AV_PIX_FMT_RGB555LE;
        c->gop_size = kKeyFrameSpacing;
        c->keyint_min = kKeyFrameSpacing - 1;
    } else {
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->gop_size = rate * 2;
        av_opt_set(c->priv_data, "preset", "veryfast", 0);
        av_opt_set(c->priv_data, "crf", "20", 0);
    }
    if (global)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(c, encoder, nullptr);
    if (opened < 0) {
        avcodec_free_context(&c);
        CheckLibrary(opened, TAviStage::Open, context);
    }
    return c;
}

// Puts the stream header's quality into the finished file: the muxer writes none of its own.
std::uint32_t WriteQuality(int fd, int quality) {
    char head[4096];
    const ssize_t n = ::pread(fd, head, sizeof head, 0);
    for (ssize_t i = 0; i + kQualityOffset + 4 <= n; ++i) {
        if (std::memcmp(head + i, "strh", 4) != 0 || std::memcmp(head + i + 8, "vids", 4) != 0)
            continue;
        const std::uint32_t value = std::uint32_t(quality);
        const unsigned char le[4] = {std::uint8_t(value), std::uint8_t(value >> 8),
                                     std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
        return ::pwrite(fd, le, 4, i + kQualityOffset) == 4 ? kAviOk : kAviFileWrite;
    }
    return kAviBadFormat;
}

} // namespace

void TVideoWriter::Open(int width, int height, const std::string& fileName) {
    Close();
    // The library's notes (a pixel format without full chroma interpolation) are no failures.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_ERROR); });
    const int align = Codec == TVideoCodec::Msvc ? 4 : 2;
    if (width < align || height < align || width % align || height % align || FrameRate < 1)
        throw Error("Unable to create AVI stream" +
                    AviResultText(FrameRate < 1 ? kAviBadParam : kAviBadSize));
    auto impl = std::make_unique<Impl>();
    impl->Width = width;
    impl->Height = height;
    try {
        impl->File = std::make_unique<platform::TSafeFile>(fileName);
    } catch (const WriteError&) {
        throw Error("Unable to create AVI file (\"" + Extension(fileName) + "\")" +
                    AviResultText(AviResultOf(AVERROR(errno ? errno : EACCES), TAviStage::Open)));
    }
    const char* muxer = Codec == TVideoCodec::Msvc ? "avi" : "mp4";
    CheckLibrary(avformat_alloc_output_context2(&impl->Format, nullptr, muxer, nullptr),
                 TAviStage::Open, "Unable to create AVI stream");
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferSize));
    impl->Io = avio_alloc_context(buffer, kIoBufferSize, 1, impl->File.get(), nullptr, WriteToFile,
                                  SeekInFile);
    if (!buffer || !impl->Io) {
        av_free(buffer);
        throw Error("Unable to create AVI stream" + AviResultText(kAviMemory));
    }
    impl->Format->pb = impl->Io;
    impl->Stream = avformat_new_stream(impl->Format, nullptr);
    if (!impl->Stream)
        throw Error("Unable to create AVI stream" + AviResultText(kAviMemory));
    impl->Encoder = MakeEncoder(Codec, width, height, FrameRate,
                                impl->Format->oformat->flags & AVFMT_GLOBALHEADER);
    const std::string format = "Unable to set Compression Format";
    CheckLibrary(avcodec_parameters_from_context(impl->Stream->codecpar, impl->Encoder),
                 TAviStage::Open, format);
    impl->Stream->time_base = impl->Encoder->time_base;
    impl->Stream->avg_frame_rate = impl->Encoder->framerate;
    if (Codec == TVideoCodec::Msvc)
        impl->Stream->codecpar->codec_tag = MKTAG('M', 'S', 'V', 'C');
    CheckLibrary(avformat_write_header(impl->Format, nullptr), TAviStage::Open, format);
    impl->Picture = av_frame_alloc();
    impl->Packet = av_packet_alloc();
    if (!impl->Picture || !impl->Packet)
        throw Error(format + AviResultText(kAviMemory));
    impl->Picture->format = impl->Encoder->pix_fmt;
    impl->Picture->width = width;
    impl->Picture->height = height;
    CheckLibrary(av_frame_get_buffer(impl->Picture, 0), TAviStage::Open, format);
    impl->Scaler = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height,
                                  impl->Encoder->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr);
    if (!impl->Scaler)
        throw Error(format + AviResultText(kAviUnsupported));
    m = std::move(impl);
}

int TVideoWriter::MuxPacket(AVPacket& packet) {
    return av_interleaved_write_frame(m->Format, &packet);
}

namespace {

// Sends frame (or, when null, the end) to the encoder and muxes every packet it gives back.
template <typename Mux>
int Encode(AVCodecContext* encoder, AVFrame* frame, AVPacket* packet, AVStream* stream, Mux mux) {
    int result = avcodec_send_frame(encoder, frame);
    while (result >= 0) {
        result = avcodec_receive_packet(encoder, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return 0;
        if (result < 0)
            return result;
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        result = mux(*packet);
        av_packet_unref(packet);
    }
    return result;
}

} // namespace

int TVideoWriter::WriteFrame(const TVideoFrame& frame) {
    if (!m)
        throw Error("File not open");
    const std::string context = "Unable to write AVI Frame";
    if (frame.Width <= 0 || frame.Height <= 0 ||
        frame.Rgba.size() < std::size_t(frame.Width) * frame.Height * 4)
        throw Error(context + AviResultText(kAviBadSize));
    const std::uint8_t* pixels = frame.Rgba.data();
    int width = frame.Width, height = frame.Height;
    bool bottomUp = frame.BottomUp;
    if (width < m->Width || height < m->Height) { // the view shrank: black around it
        m->Padded.assign(std::size_t(m->Width) * m->Height * 4, 0);
        for (int y = 0; y < std::min(height, m->Height); ++y) {
            const int from = bottomUp ? height - 1 - y : y;
            std::memcpy(m->Padded.data() + std::size_t(y) * m->Width * 4,
                        pixels + std::size_t(from) * width * 4,
                        std::size_t(std::min(width, m->Width)) * 4);
        }
        pixels = m->Padded.data();
        width = m->Width;
        height = m->Height;
        bottomUp = false;
    }
    const int stride = width * 4;
    // The top row first: a picture read bottom row first is walked backwards.
    const std::uint8_t* top = bottomUp ? pixels + std::size_t(height - 1) * stride : pixels;
    const int sourceStride = bottomUp ? -stride : stride;
    CheckLibrary(av_frame_make_writable(m->Picture), TAviStage::Write, context);
    sws_scale(m->Scaler, &top, &sourceStride, 0, m->Height, m->Picture->data, m->Picture->linesize);
    m->Picture->pts = m->Sent++;
    CheckLibrary(Encode(m->Encoder, m->Picture, m->Packet, m->Stream,
                        [this](AVPacket& p) { return MuxPacket(p); }),
                 TAviStage::Write, context);
    m->Position += FrameStep;
    return m->Position;
}

void TVideoWriter::Discard() {
    m.reset();
}

void TVideoWriter::Close() {
    if (!m)
        return;
    // Closed on every way out; a file not committed is removed with its TSafeFile.
    struct TReset {
        std::unique_ptr<Impl>& Held;
        ~TReset() { Held.reset(); }
    } reset{m};
    const std::string context = "Unable to close AVI file";
    int result = Encode(m->Encoder, nullptr, m->Packet, m->Stream,
                        [this](AVPacket& p) { return MuxPacket(p); });
    if (result >= 0)
        result = av_write_trailer(m->Format);
    avio_flush(m->Io);
    if (result >= 0 && m->Io->error < 0)
        result = m->Io->error;
    std::uint32_t code = AviResultOf(result, TAviStage::Write);
    if (code == kAviOk && Codec == TVideoCodec::Msvc)
        code = WriteQuality(m->File->Fd(), Quality);
    // A file that could not be finished still holds the frames written before the failure.
    if (code == kAviOk || m->Position > 0) {
        try {
            m->File->Commit();
        } catch (const WriteError&) {
            if (code == kAviOk)
                code = kAviFileWrite;
        }
    }
    CheckAviResult(code, context);
}

// The capture: a queue of frames between the drawing thread and the worker, with the buffers
// kept for reuse so a frame costs no allocation once the queue has filled.
struct TVideoCapture::Impl {
    static constexpr std::size_t kQueueLength = 6;

    TWriterFactory Factory;
    std::unique_ptr<TVideoWriter> Writer;
    TFrameGrabber Grabber;
    std::thread Worker;
    mutable std::mutex Lock;
    std::condition_variable Changed;
    std::deque<TVideoFrame> Queue;
    std::vector<TVideoFrame> Spare;
    bool Ending = false;
    std::optional<std::string> Failure;
    int Handed = 0, Written = 0;
    double GrabSeconds = 0, EncodeSeconds = 0;
    double GrabCpuSeconds = 0, EncodeCpuSeconds = 0;

    void Run() {
        for (;;) {
            TVideoFrame frame;
            {
                std::unique_lock lock(Lock);
                Changed.wait(lock, [this] { return Ending || !Queue.empty(); });
                if (Queue.empty())
                    return;
                frame = std::move(Queue.front());
                Queue.pop_front();
            }
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = ThreadCpuSeconds();
            std::optional<std::string> failed;
            {
                std::unique_lock lock(Lock);
                failed = Failure;
            }
            if (!failed) {
                try {
                    Writer->WriteFrame(frame);
                } catch (const std::exception& e) {
                    failed = e.what();
                }
            }
            const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
            const double cpu = ThreadCpuSeconds() - cpuStart;
            std::unique_lock lock(Lock);
            EncodeSeconds += spent.count();
            EncodeCpuSeconds += cpu;
            if (failed && !Failure)
                Failure = failed;
            if (!failed)
                ++Written;
            Spare.push_back(std::move(frame));
            Changed.notify_all();
        }
    }
};

TVideoCapture::TVideoCapture(TWriterFactory factory) : m(std::make_unique<Impl>()) {
    m->Factory = factory ? std::move(factory) : [] { return std::make_unique<TVideoWriter>(); };
}

TVideoCapture::~TVideoCapture() {
    Abandon();
}

void TVideoCapture::Abandon() {
    if (!m->Writer)
        return;
    {
        std::unique_lock lock(m->Lock);
        m->Ending = true;
        m->Failure = "abandoned"; // the worker drops what is queued
    }
    m->Changed.notify_all();
    m->Worker.join();
    m->Writer.reset();
}

bool TVideoCapture::Active() const {
    return m->Writer != nullptr;
}

int TVideoCapture::Width() const {
    return m->Writer ? m->Writer->Width() : 0;
}

int TVideoCapture::Height() const {
    return m->Writer ? m->Writer->Height() : 0;
}

int TVideoCapture::FramesWritten() const {
    std::unique_lock lock(m->Lock);
    return m->Written;
}

double TVideoCapture::GrabSeconds() const {
    return m->GrabSeconds;
}

double TVideoCapture::EncodeSeconds() const {
    std::unique_lock lock(m->Lock);
    return m->EncodeSeconds;
}

double TVideoCapture::GrabCpuSeconds() const {
    return m->GrabCpuSeconds;
}

double TVideoCapture::EncodeCpuSeconds() const {
    std::unique_lock lock(m->Lock);
    return m->EncodeCpuSeconds;
}

void TVideoCapture::Start(const std::string& fileName, TFrameGrabber grabber, int quality,
                          int frameRate, int width, int height, TVideoCodec codec) {
    Stop();
    std::unique_ptr<TVideoWriter> writer = m->Factory();
    writer->Codec = codec;
    writer->FrameRate = frameRate;
    writer->FrameStep = 1;
    writer->Quality = quality;
    writer->Open(CaptureSide(width), CaptureSide(height), fileName);
    m->Writer = std::move(writer);
    m->Grabber = std::move(grabber);
    m->Queue.clear();
    m->Ending = false;
    m->Failure.reset();
    m->Handed = m->Written = 0;
    m->GrabSeconds = m->EncodeSeconds = m->GrabCpuSeconds = m->EncodeCpuSeconds = 0;
    m->Worker = std::thread([impl = m.get()] { impl->Run(); });
}

int TVideoCapture::CaptureFrame() {
    if (!m->Writer)
        throw Error("File not open");
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuSeconds();
    TVideoFrame frame;
    {
        std::unique_lock lock(m->Lock);
        if (m->Failure)
            throw Error(*m->Failure);
        if (!m->Spare.empty()) {
            frame = std::move(m->Spare.back());
            m->Spare.pop_back();
        }
    }
    m->Grabber(frame);
    {
        std::unique_lock lock(m->Lock);
        // A full queue holds the drawing back: the frames come no faster than they are written.
        m->Changed.wait(lock, [this] { return m->Queue.size() < Impl::kQueueLength; });
        m->Queue.push_back(std::move(frame));
        ++m->Handed;
    }
    m->Changed.notify_all();
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    m->GrabSeconds += spent.count();
    m->GrabCpuSeconds += ThreadCpuSeconds() - cpuStart;
    return m->Handed;
}

void TVideoCapture::Stop() {
    if (!m->Writer)
        return;
    {
        std::unique_lock lock(m->Lock);
        m->Ending = true;
    }
    m->Changed.notify_all();
    m->Worker.join();
    std::unique_ptr<TVideoWriter> writer = std::move(m->Writer);
    std::optional<std::string> failure = m->Failure;
    try {
        writer->Close();
    } catch (const std::exception& e) {
        if (!failure)
            failure = e.what();
    }
    if (failure)
        throw Error(*failure);
}

} // namespace lumora::analysis
