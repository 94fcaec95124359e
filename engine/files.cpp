#include "files.h"

#include "run_error.h"

namespace dissim {
namespace {

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

} // namespace

InputFile::InputFile(const std::string& path) : path_(path) {
    if (path.empty()) {
        throw RunError("no input file has been chosen");
    }
    const platform::Status opened = platform::openForReading(path, file_);
    if (!opened.ok()) {
        throw RunError("the input file " + quoted(path) + " cannot be opened: " + opened.reason());
    }
    platform::FileFacts facts;
    const platform::Status examined = platform::examine(file_, facts);
    if (!examined.ok()) {
        close();
        throw RunError("the input file " + quoted(path) +
                       " cannot be examined: " + examined.reason());
    }
    if (facts.kind == platform::FileKind::Folder) {
        close();
        throw RunError("the input file " + quoted(path) + " is a folder, not a file");
    }
    onDisk_ = facts.kind == platform::FileKind::DiskFile;
}

InputFile::~InputFile() {
    close();
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
    std::size_t got = 0;
    const platform::Status status = platform::read(file_, buffer, size, got);
    if (!status.ok()) {
        throw RunError("the input file " + quoted(path_) + " cannot be read: " + status.reason());
    }
    return got;
}

bool InputFile::isSameFileAs(platform::NativeFile other) const {
    return platform::isSameFile(file_, other);
}

bool InputFile::isNamedBy(const std::string& path) const {
    return platform::namesFile(path, file_);
}

void InputFile::close() noexcept {
    if (file_ != platform::kNoFile) {
        (void)platform::close(file_); // read only: nothing of the run's is lost
        file_ = platform::kNoFile;
    }
}

OutputFile::OutputFile(const std::string& path, const InputFile& input) : path_(path) {
    if (path.empty()) {
        throw RunError("no output file has been chosen");
    }
    const std::string sameAsInput =
        "the output file " + quoted(path) + " is the input file; choose another output file";
    // Opened without emptying it: the file may turn out to be the input file, which must not
    // be emptied. Only after comparing identities is it emptied.
    const platform::Status opened = platform::openForWriting(path, file_);
    if (!opened.ok()) {
        // Where the system keeps an open input file from being written (Windows), the input
        // chosen again as the output fails to open: say which file it is.
        if (input.isNamedBy(path)) {
            throw RunError(sameAsInput);
        }
        throw RunError("the output file " + quoted(path) +
                       " cannot be opened for writing: " + opened.reason());
    }
    if (input.isSameFileAs(file_)) {
        abandon();
        throw RunError(sameAsInput);
    }
    platform::FileFacts facts;
    const platform::Status examined = platform::examine(file_, facts);
    if (!examined.ok()) {
        abandon();
        throw RunError("the output file " + quoted(path) +
                       " cannot be examined: " + examined.reason());
    }
    // Pipes and devices have nothing to empty, and neither has an empty file. Emptying an empty
    // file is not only needless: some file systems (ext4) take any truncation to zero as a file
    // being replaced and then push all of it to the disk when it is closed.
    if (facts.kind == platform::FileKind::DiskFile && facts.size > 0) {
        const platform::Status emptied = platform::empty(file_);
        if (!emptied.ok()) {
            abandon();
            throw RunError("the output file " + quoted(path) +
                           " cannot be emptied: " + emptied.reason());
        }
    }
}

OutputFile::~OutputFile() {
    abandon();
}

void OutputFile::write(std::string_view data) {
    const platform::Status status = platform::writeAll(file_, data);
    if (!status.ok()) {
        throw RunError("writing the output file " + quoted(path_) + " failed: " + status.reason());
    }
}

void OutputFile::close() {
    if (file_ == platform::kNoFile) {
        return;
    }
    const platform::NativeFile file = file_;
    file_ = platform::kNoFile;
    const platform::Status closed = platform::close(file);
    if (!closed.ok()) {
        throw RunError("closing the output file " + quoted(path_) + " failed: " + closed.reason());
    }
}

void OutputFile::abandon() noexcept {
    if (file_ != platform::kNoFile) {
        (void)platform::close(file_); // the run has failed already; its reason stands
        file_ = platform::kNoFile;
    }
}

void writeTextFile(const std::string& path, std::string_view text, const std::string& keep) {
    InputFile kept(keep);
    OutputFile output(path, kept);
    output.write(text);
    output.close();
}

} // namespace dissim
