// Runs a fuzz harness over the files and folders named on the command line, so
// the ordinary build replays the seeds and every crash ever found. A folder
// that does not exist is reported and skipped; no file at all is a failure.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

bool replay(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path path(argv[i]);
        std::error_code error;
        if (fs::is_directory(path, error)) {
            for (const auto &entry : fs::recursive_directory_iterator(path, error))
                if (entry.is_regular_file() && replay(entry.path()))
                    ++replayed;
        } else if (fs::is_regular_file(path, error) && replay(path)) {
            ++replayed;
        } else {
            std::fprintf(stderr, "skipped (not found): %s\n", argv[i]);
        }
    }
    std::printf("%d files replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
