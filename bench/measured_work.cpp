#include "measured_work.h"

#include "dissimilarity_run.h"
#include "run_state.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace bench {
namespace {

class QuietObserver : public dissim::RunObserver {
public:
    explicit QuietObserver(const char* program) : program_(program) {}
    void statusChanged(std::string_view) override {}
    void runFailing(std::string_view description) override {
        std::fprintf(stderr, "%s: the run failed: %.*s\n", program_,
                     static_cast<int>(description.size()), description.data());
    }

private:
    const char* program_;
};

} // namespace

bool runEngine(const char* program, const std::string& subjects, const std::string& stimuli,
               const std::string& input, const std::string& output) {
    dissim::RunState state;
    state.numSubjects = dissim::CountValue(subjects);
    state.numStimuli = dissim::CountValue(stimuli);
    state.inputFile = input;
    state.outputFile = output;
    QuietObserver observer(program);
    return dissim::runDissimilarity(state, observer).done;
}

std::vector<char> floorChunk(std::size_t bytes) {
    std::vector<char> chunk(bytes);
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        chunk[i] = " 1 "[i % 3];
    }
    return chunk;
}

bool writeFloor(const char* program, const std::string& output, std::uint64_t bytes,
                const std::vector<char>& chunk) {
    const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        std::fprintf(stderr, "%s: cannot create %s: %s\n", program, output.c_str(),
                     std::strerror(errno));
        return false;
    }
    for (std::uint64_t left = bytes; left > 0;) {
        const auto part = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        const ssize_t put = ::write(fd, chunk.data(), part);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            std::fprintf(stderr, "%s: writing %s failed: %s\n", program, output.c_str(),
                         std::strerror(errno));
            ::close(fd);
            return false;
        }
        left -= static_cast<std::uint64_t>(put);
    }
    return ::close(fd) == 0;
}

} // namespace bench
