// A stand-in for the RCS programs in the command runner's tests, for what
// they cannot be made to do on request: crash, hang, flood, or show exactly
// which arguments and environment they were given.
//
//   echo-args ARG...          prints each argument as [ARG] on its own line
//   stdin                     copies standard input to standard output
//   stderr TEXT [OUT]         writes TEXT to standard error, then OUT to
//                             standard output
//   exit N                    exits with code N
//   crash                     dies of SIGSEGV
//   hang MARKER [ignore-term] writes its pid into the file MARKER, then
//                             sleeps for minutes; optionally ignores SIGTERM
//   huge N                    writes N bytes, "abc...z" repeated
//   env NAME                  prints the variable's value, or "<unset>"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

int Hang(const std::string& marker, bool ignoreTerminate)
{
    if (ignoreTerminate)
        std::signal(SIGTERM, SIG_IGN);
    // Written whole before it appears, so a reader never sees it half done.
    std::ofstream(marker + ".tmp") << getpid() << "\n";
    if (std::rename((marker + ".tmp").c_str(), marker.c_str()) != 0)
        return 2;
    // Bounded, so that a test whose stop fails still ends some time.
    for (int second = 0; second < 300; ++second)
        sleep(1);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "echo-args") {
        for (int i = 2; i < argc; ++i)
            std::printf("[%s]\n", argv[i]);
        return 0;
    }
    if (mode == "stdin") {
        std::cout << std::cin.rdbuf();
        return 0;
    }
    if (mode == "stderr" && argc > 2) {
        std::fputs(argv[2], stderr);
        if (argc > 3)
            std::fputs(argv[3], stdout);
        return 0;
    }
    if (mode == "exit" && argc > 2)
        return std::atoi(argv[2]);
    if (mode == "crash") {
        const rlimit noCore = {0, 0};  // no core file left in the test directory
        setrlimit(RLIMIT_CORE, &noCore);
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
        return 1;
    }
    if (mode == "hang" && argc > 2)
        return Hang(argv[2], argc > 3 && std::strcmp(argv[3], "ignore-term") == 0);
    if (mode == "huge" && argc > 2) {
        for (long long i = 0, size = std::atoll(argv[2]); i < size; ++i)
            std::putchar('a' + static_cast<int>(i % 26));
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (mode == "env" && argc > 2) {
        const char* value = std::getenv(argv[2]);
        std::puts(value != nullptr ? value : "<unset>");
        return 0;
    }
    std::fputs("fake_program: unknown mode\n", stderr);
    return 2;
}
