// A stand-in for ffmpeg or mediainfo whose behaviour the test chooses through the environment variable
// FAKE_TOOL_SCRIPT_<NAME> (NAME: the upper-case name it was started by, e.g. FAKE_TOOL_SCRIPT_FFMPEG) or
// else FAKE_TOOL_SCRIPT: steps separated by ';', run in order.
//   out:TEXT  err:TEXT       write TEXT (\n, \r and \\ understood) to standard output / error
//   bytes:N                  write N bytes of 'x' and a newline to standard output
//   lines:N:TEXT             write TEXT and a newline to standard output N times, without pause
//   errpieces:N:TEXT         write TEXT to standard error N times, flushing and pausing 1 ms each time
//   invalid                  write bytes that are not UTF-8
//   sleep:MS                 pause
//   args:FILE                write every argument, each followed by a NUL byte, to FILE
//   touch:FILE               create FILE (an output being written)
//   outlast                  create or truncate the file named by the last argument, as ffmpeg's output
//   progress:N:STEP:PIECE    ffmpeg progress lines for frames STEP, 2*STEP, ... up to N on standard error,
//                            each ended by \r, written in pieces of PIECE bytes with a 1 ms pause between
//   pgid:FILE                append "PID PGID" and a newline to FILE
//   fork                     split in two processes that both go on with the next steps
//   ignoreterm               ignore SIGTERM from now on
//   hang                     pause until killed
//   crash                    die of SIGSEGV
//   exit:N                   exit with status N
// Without the variable it prints its arguments, one per line, and exits 0.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>
#include <unistd.h>

namespace {

std::string unescape(const std::string &in)
{
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 1 < in.size()) {
            const char c = in[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 's' ? ';' : c;
        } else {
            out += in[i];
        }
    }
    return out;
}

std::vector<std::string> split(const std::string &text, char sep)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, sep);)
        parts.push_back(part);
    return parts;
}

void pause(long ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

std::string scriptVariable(const char *argv0)
{
    std::string name = std::strrchr(argv0, '/') ? std::strrchr(argv0, '/') + 1 : argv0;
    for (char &c : name)
        c = std::isalnum(static_cast<unsigned char>(c)) ? char(std::toupper(static_cast<unsigned char>(c)))
                                                        : '_';
    return "FAKE_TOOL_SCRIPT_" + name;
}

void writeProgress(long frames, long step, long piece)
{
    std::string all;
    char line[256];
    for (long frame = step; frame <= frames; frame += step) {
        const double seconds = double(frame) / 25.0;
        std::snprintf(line, sizeof line,
                      "frame=%5ld fps= 25 q=28.0 size=%8ldkB time=00:%02d:%05.2f bitrate= 100.0kbits/s "
                      "speed=1.00x    \r",
                      frame, frame, int(seconds / 60), seconds - 60 * int(seconds / 60));
        all += line;
    }
    all += "\n";
    for (std::size_t at = 0; at < all.size(); at += std::size_t(piece)) {
        std::fputs(all.substr(at, std::size_t(piece)).c_str(), stderr);
        std::fflush(stderr);
        pause(1);
    }
}

int main(int argc, char **argv)
{
    const char *script = std::getenv(scriptVariable(argv[0]).c_str());
    if (!script)
        script = std::getenv("FAKE_TOOL_SCRIPT");
    if (!script) {
        for (int i = 1; i < argc; ++i)
            std::printf("%s\n", argv[i]);
        return 0;
    }
    for (const std::string &step : split(script, ';')) {
        const std::size_t colon = step.find(':');
        const std::string verb = step.substr(0, colon);
        const std::string arg = colon == std::string::npos ? std::string() : step.substr(colon + 1);
        if (verb == "out" || verb == "err") {
            std::FILE *stream = verb == "out" ? stdout : stderr;
            std::fputs(unescape(arg).c_str(), stream);
            std::fflush(stream);
        } else if (verb == "bytes") {
            std::fputs((std::string(std::size_t(std::atol(arg.c_str())), 'x') + '\n').c_str(), stdout);
            std::fflush(stdout);
        } else if (verb == "lines" || verb == "errpieces") {
            const bool pieces = verb == "errpieces";
            const std::size_t second = arg.find(':');
            const std::string text = unescape(arg.substr(second + 1)) + (pieces ? "" : "\n");
            for (long i = 0, n = std::atol(arg.substr(0, second).c_str()); i < n; ++i) {
                std::fputs(text.c_str(), pieces ? stderr : stdout);
                if (pieces) {
                    std::fflush(stderr);
                    pause(1);
                }
            }
            std::fflush(stdout);
        } else if (verb == "invalid") {
            std::fputs("\xff\xfe\xfd not text\n", stdout);
            std::fflush(stdout);
        } else if (verb == "sleep") {
            pause(std::atol(arg.c_str()));
        } else if (verb == "args") {
            std::ofstream file(arg, std::ios::binary);
            for (int i = 1; i < argc; ++i)
                file << argv[i] << '\0';
        } else if (verb == "touch") {
            std::ofstream file(arg, std::ios::binary);
            file << "partial";
        } else if (verb == "outlast") {
            if (argc > 1) {
                std::ofstream file(argv[argc - 1], std::ios::binary | std::ios::trunc);
                file << "partial";
            }
        } else if (verb == "progress") {
            const std::vector<std::string> numbers = split(arg, ':');
            if (numbers.size() == 3)
                writeProgress(std::atol(numbers[0].c_str()), std::atol(numbers[1].c_str()),
                              std::max(1L, std::atol(numbers[2].c_str())));
        } else if (verb == "pgid") {
            std::ofstream file(arg, std::ios::app);
            file << long(getpid()) << ' ' << long(getpgrp()) << '\n';
        } else if (verb == "fork") {
            fork();
        } else if (verb == "ignoreterm") {
            std::signal(SIGTERM, SIG_IGN);
        } else if (verb == "hang") {
            for (;;)
                pause(1000);
        } else if (verb == "crash") {
            std::raise(SIGSEGV);
        } else if (verb == "exit") {
            return std::atoi(arg.c_str());
        }
    }
    return 0;
}
