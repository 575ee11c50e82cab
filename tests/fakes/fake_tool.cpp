// A stand-in for ffmpeg or mediainfo whose behaviour the test chooses through the environment variable
// FAKE_TOOL_SCRIPT: steps separated by ';', run in order.
//   out:TEXT  err:TEXT       write TEXT (\n, \r and \\ understood) to standard output / error
//   bytes:N                  write N bytes of 'x' and a newline to standard output
//   pieces:N:TEXT            write TEXT to standard output N times, flushing and pausing 1 ms each time
//   errpieces:N:TEXT         the same on standard error
//   invalid                  write bytes that are not UTF-8
//   sleep:MS                 pause
//   args:FILE                write every argument, each followed by a NUL byte, to FILE
//   touch:FILE               create FILE (an output being written)
//   ignoreterm               ignore SIGTERM from now on
//   hang                     pause until killed
//   crash                    die of SIGSEGV
//   exit:N                   exit with status N
// Without the variable it prints its arguments, one per line, and exits 0.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

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
    std::string current;
    for (char c : text) {
        if (c == sep) {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

void pause(long ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

int main(int argc, char **argv)
{
    const char *script = std::getenv("FAKE_TOOL_SCRIPT");
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
            const long n = std::atol(arg.c_str());
            std::string block(4096, 'x');
            for (long done = 0; done < n; done += long(block.size()))
                std::fwrite(block.data(), 1, std::size_t(std::min<long>(long(block.size()), n - done)), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        } else if (verb == "pieces" || verb == "errpieces") {
            std::FILE *stream = verb == "pieces" ? stdout : stderr;
            const std::size_t second = arg.find(':');
            const long n = std::atol(arg.substr(0, second).c_str());
            const std::string text = unescape(arg.substr(second + 1));
            for (long i = 0; i < n; ++i) {
                std::fputs(text.c_str(), stream);
                std::fflush(stream);
                pause(1);
            }
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
