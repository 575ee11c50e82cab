// tavrix-readback: opens media files as a player would, one after another, for as long as its standard
// input is open, and says what each one holds.
//
// A request is a file's path followed by a NUL byte (a path holds anything but NUL). Each request gets one
// line of JSON on standard output, in order:
//   {"streams":2,"duration":3000000,"messages":[],"error":null,"timedOut":false}
// "streams" counts the streams found; "duration" is in microseconds, null when unknown; "messages" are the
// libraries' error lines as ffmpeg prints them ("[mov,mp4,m4a,3gp,3g2,mj2 @ 0x...] moov atom not found");
// "error" is the failing call's error text, null when the file opened; "timedOut" says that the file was
// given up after the time limit (--limit-ms, milliseconds). Only the path itself is opened: no other
// protocol than plain files, so a playlist cannot lead elsewhere.
//
// The program ends when its standard input ends, and by itself when the program that started it is gone:
// --parent names that program, which may be gone before this one has even started.

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The error lines of the request in progress, as the libraries log them (decoders may log from threads of
// their own).
struct Messages
{
    std::mutex mutex;
    std::vector<std::string> lines;
    std::string pending;
    int printPrefix = 1;
};

Messages &messages()
{
    static Messages instance;
    return instance;
}

void collect(void *context, int level, const char *format, va_list arguments)
{
    if (level > AV_LOG_ERROR)
        return;
    char text[2048];
    Messages &all = messages();
    const std::lock_guard lock(all.mutex);
    av_log_format_line2(context, level, format, arguments, text, sizeof text, &all.printPrefix);
    all.pending += text;
    for (std::size_t end = all.pending.find('\n'); end != std::string::npos; end = all.pending.find('\n')) {
        all.lines.push_back(all.pending.substr(0, end));
        all.pending.erase(0, end + 1);
    }
}

std::vector<std::string> takeMessages()
{
    Messages &all = messages();
    const std::lock_guard lock(all.mutex);
    if (!all.pending.empty())
        all.lines.push_back(all.pending);
    all.pending.clear();
    all.printPrefix = 1;
    std::vector<std::string> lines;
    lines.swap(all.lines);
    return lines;
}

std::atomic<Clock::time_point> deadline{Clock::time_point::max()};
std::atomic_bool timedOut{false};

int interrupted(void *)
{
    if (Clock::now() < deadline.load())
        return 0;
    timedOut = true;
    return 1;
}

// Length of the UTF-8 sequence starting at `text[i]`, or 0 when it is not one.
std::size_t utf8Length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned int minimum = 0;
    unsigned int code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// A JSON string: quotes, backslashes and control characters escaped, bytes that are not UTF-8 replaced.
void appendJsonString(std::string &out, std::string_view text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
            ++i;
        } else if (c < 0x80) {
            out += char(c);
            ++i;
        } else if (const std::size_t length = utf8Length(text, i)) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\\ufffd";
            ++i;
        }
    }
    out += '"';
}

std::string errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// What opening `path` tells, as one line of JSON.
std::string readBack(const std::string &path, std::chrono::milliseconds limit)
{
    timedOut = false;
    deadline = Clock::now() + limit;
    takeMessages();

    AVFormatContext *context = avformat_alloc_context();
    context->interrupt_callback = {interrupted, nullptr};
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // "file:" keeps a name with a colon from reading as a protocol.
    int code = avformat_open_input(&context, ("file:" + path).c_str(), nullptr, &options);
    av_dict_free(&options);
    std::string error;
    unsigned int streams = 0;
    int64_t duration = AV_NOPTS_VALUE;
    if (code < 0) {
        error = errorText(code);
    } else {
        // One decoder thread each: the streams' parameters are found from a few packets.
        std::vector<AVDictionary *> streamOptions(context->nb_streams, nullptr);
        for (AVDictionary *&one : streamOptions)
            av_dict_set(&one, "threads", "1", 0);
        code = avformat_find_stream_info(context, streamOptions.empty() ? nullptr : streamOptions.data());
        for (AVDictionary *&one : streamOptions)
            av_dict_free(&one);
        streams = context->nb_streams;
        // As ffmpeg does: parameters that cannot be found fail only a file without streams.
        if (code < 0 && streams == 0)
            error = "could not find codec parameters";
        else
            duration = context->duration;
        avformat_close_input(&context);
    }
    deadline = Clock::time_point::max();

    std::string out = "{\"streams\":" + std::to_string(streams) + ",\"duration\":";
    out += duration == AV_NOPTS_VALUE ? std::string("null") : std::to_string(duration);
    out += ",\"messages\":[";
    bool first = true;
    for (const std::string &line : takeMessages()) {
        if (!first)
            out += ',';
        first = false;
        appendJsonString(out, line);
    }
    out += "],\"error\":";
    if (error.empty())
        out += "null";
    else
        appendJsonString(out, error);
    out += ",\"timedOut\":";
    out += timedOut ? "true" : "false";
    out += "}\n";
    return out;
}

// Ends the program once the one that started it is gone (we are given to another parent), even in the
// middle of a file that keeps us waiting; while we wait for a request, the end of the input does it.
void watchParent(pid_t parent)
{
    while (::getppid() == parent)
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::_Exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    std::chrono::milliseconds limit{60'000};
    pid_t parent = ::getppid();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--limit-ms") == 0 && i + 1 < argc) {
            limit = std::chrono::milliseconds(std::strtoll(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--parent") == 0 && i + 1 < argc) {
            parent = pid_t(std::strtol(argv[++i], nullptr, 10));
        } else {
            std::fprintf(stderr,
                         "usage: %s [--limit-ms MILLISECONDS] [--parent PID] < NUL-terminated paths\n",
                         argv[0]);
            return 2;
        }
    }
    av_log_set_callback(collect);
    std::thread(watchParent, parent).detach();

    char *request = nullptr;
    std::size_t capacity = 0;
    for (;;) {
        const ssize_t length = ::getdelim(&request, &capacity, '\0', stdin);
        // The end of the input, or a last request cut short: nothing more to answer.
        if (length <= 0 || request[length - 1] != '\0')
            break;
        const std::string answer = readBack(std::string(request, std::size_t(length - 1)), limit);
        if (std::fwrite(answer.data(), 1, answer.size(), stdout) != answer.size() || std::fflush(stdout) != 0)
            break;
    }
    std::free(request);
    return 0;
}
