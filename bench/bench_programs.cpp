#include "bench_programs.h"

#include "bench_memory.h"
#include "measured_work.h"
#include "reference_run.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {
namespace {

std::size_t chunkBytes(Program program) {
    switch (program) {
    case Program::Write64KiB:
        return std::size_t{64} << 10;
    case Program::Write1MiB:
        return std::size_t{1} << 20;
    default:
        return std::size_t{2} << 20;
    }
}

// The child's side: everything the program needs is made before the clock starts.
Sample measure(Program program, const Study& study, const std::string& input,
               const std::string& output, std::uint64_t bytes) {
    const std::vector<char> chunk =
        isFloor(program) ? floorChunk(chunkBytes(program)) : std::vector<char>();
    resetPeakResident();
    const std::uint64_t before = residentBytes();
    const auto start = std::chrono::steady_clock::now();
    Sample sample;
    switch (program) {
    case Program::Engine:
        sample.done = runEngine("dissim_bench", std::to_string(study.subjects),
                                std::to_string(study.stimuli), input, output);
        break;
    case Program::Reference:
        sample.done = referenceRun(input, output, study.subjects, study.stimuli);
        break;
    default:
        sample.done = writeFloor("dissim_bench", output, bytes, chunk);
        break;
    }
    sample.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::uint64_t peak = peakResidentBytes();
    sample.peakRiseBytes = peak > before ? peak - before : 0;
    struct stat st {};
    if (::stat(output.c_str(), &st) == 0) {
        sample.bytes = static_cast<std::uint64_t>(st.st_size);
    }
    return sample;
}

// Forks with a pipe from the child (fds[1]) to the parent (fds[0]); ends the bench when either
// cannot be made. Returns fork's result.
pid_t forkWithPipe(int fds[2]) {
    if (::pipe(fds) != 0) {
        std::perror("dissim_bench: pipe");
        std::exit(1);
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("dissim_bench: fork");
        std::exit(1);
    }
    return child;
}

// The WebAssembly program: node runs the script, which prints "done SECONDS" when its run or its
// writes are done. The child's standard output comes back through a pipe; its errors go where
// the bench's go.
Sample runWasm(Program program, const Study& study, const std::string& script, bool warmUp,
               const std::string& input, const std::string& output, std::uint64_t bytes) {
    const std::string subjects = std::to_string(study.subjects);
    const std::string stimuli = std::to_string(study.stimuli);
    const std::string byteCount = std::to_string(bytes);
    int fds[2];
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = forkWithPipe(fds);
    if (child == 0) {
        ::close(fds[0]);
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[1]);
        // Node's experimental fetch breaks the module loader Emscripten 3.1 generates.
        const char* run[] = {"node",          "--no-experimental-fetch",
                             script.c_str(),  subjects.c_str(),
                             stimuli.c_str(), input.c_str(),
                             output.c_str(),  nullptr};
        const char* warmRun[] = {
            "node",           "--no-experimental-fetch", script.c_str(), "--warm-up",
            subjects.c_str(), stimuli.c_str(),           input.c_str(),  output.c_str(),
            nullptr};
        const char* write[] = {"node",    "--no-experimental-fetch", script.c_str(),
                               "--write", byteCount.c_str(),         output.c_str(),
                               nullptr};
        const char** args = program == Program::Wasm ? (warmUp ? warmRun : run) : write;
        ::execvp("node", const_cast<char* const*>(args));
        std::perror("dissim_bench: node");
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    Sample sample;
    sample.processSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1 ||
        std::sscanf(text.c_str(), "done %lf", &sample.seconds) != 1) {
        std::fprintf(stderr, "dissim_bench: the WebAssembly engine %s did not finish its run: %s\n",
                     script.c_str(), text.c_str());
        std::exit(1);
    }
    sample.done = true;
    struct stat st {};
    if (::stat(output.c_str(), &st) == 0) {
        sample.bytes = static_cast<std::uint64_t>(st.st_size);
    }
    return sample;
}

} // namespace

const char* programName(Program program) {
    switch (program) {
    case Program::Engine:
        return "engine";
    case Program::Reference:
        return "reference";
    case Program::Write64KiB:
        return "write 64 KiB";
    case Program::Write1MiB:
        return "write 1 MiB";
    case Program::Write2MiB:
        return "write 2 MiB";
    case Program::Wasm:
        return "wasm";
    case Program::WasmWrite1MiB:
        return "wasm write 1 MiB";
    }
    return "?";
}

bool isFloor(Program program) {
    return program == Program::Write64KiB || program == Program::Write1MiB ||
           program == Program::Write2MiB;
}

Sample runProgram(Program program, const Study& study, const std::string& input,
                  const std::string& output, std::uint64_t bytes, const std::string& wasmScript,
                  bool wasmWarmUp) {
    if (program == Program::Wasm || program == Program::WasmWrite1MiB) {
        return runWasm(program, study, wasmScript, wasmWarmUp, input, output, bytes);
    }
    const auto start = std::chrono::steady_clock::now();
    int fds[2];
    const pid_t child = forkWithPipe(fds);
    if (child == 0) {
        ::close(fds[0]);
        const Sample sample = measure(program, study, input, output, bytes);
        const bool sent = ::write(fds[1], &sample, sizeof sample) == sizeof sample;
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    Sample sample;
    const bool got = ::read(fds[0], &sample, sizeof sample) == sizeof sample;
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "dissim_bench: the %s process ended abnormally\n",
                     programName(program));
        std::exit(1);
    }
    sample.processSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return sample;
}

} // namespace bench
