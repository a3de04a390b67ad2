// Writes two folder trees that differ in a known way, for timing synchronisers on them.
//
//   mirv_bench_trees [--files N] [--folders F] [--seed S] FIRST SECOND
//
// Each side holds N files spread over F folders (two levels deep). Of the files, 1% (of N) exist
// only in FIRST, 1% only in SECOND, 1% are newer in FIRST and 1% newer in SECOND; the rest are
// equal in contents and last-write time. The same arguments always give the same trees.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class Kind : std::uint8_t { Same, FirstOnly, SecondOnly, FirstNewer, SecondNewer };

struct Options {
    std::uint64_t files = 100000;
    std::uint64_t folders = 1000;
    std::uint64_t seed = 1998;
    fs::path first, second;
};

bool ParseCount(std::string_view text, std::uint64_t& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseOptions(int argc, char** argv, Options& options) {
    std::vector<std::string_view> roots;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::uint64_t* target = nullptr;
        if (arg == "--files") target = &options.files;
        else if (arg == "--folders") target = &options.folders;
        else if (arg == "--seed") target = &options.seed;
        if (target) {
            if (++i == argc || !ParseCount(argv[i], *target)) return false;
        } else {
            roots.push_back(arg);
        }
    }
    if (roots.size() != 2 || options.folders == 0 || options.files < options.folders) return false;
    options.first = roots[0];
    options.second = roots[1];
    return true;
}

// A mix of extensions and letter cases, as real folders have.
constexpr std::string_view kExtensions[] = {".txt", ".doc", ".JPG", ".dat", ".Html", ".cpp", ".pdf", ".xls"};

std::string FolderPath(std::uint64_t folder) {
    char text[48];
    std::snprintf(text, sizeof text, "Group%02llu/Folder%04llu", static_cast<unsigned long long>(folder / 50),
                  static_cast<unsigned long long>(folder));
    return text;
}

std::string FileName(std::uint64_t slot) {
    char text[48];
    std::snprintf(text, sizeof text, "File%06llu", static_cast<unsigned long long>(slot));
    return std::string(text) + std::string(kExtensions[slot % std::size(kExtensions)]);
}

// Small contents whose size and bytes depend on the slot and on which version it is.
std::string Contents(std::uint64_t slot, std::uint64_t seed, int version) {
    std::mt19937_64 random(seed * 1000003u + slot * 2u + static_cast<std::uint64_t>(version));
    std::string bytes(64 + random() % 1985, '\0');
    for (auto& byte : bytes) byte = static_cast<char>('a' + random() % 26);
    return bytes;
}

bool WriteFile(const fs::path& path, const std::string& bytes, fs::file_time_type time) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
    }
    std::error_code error;
    fs::last_write_time(path, time, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: mirv_bench_trees [--files N] [--folders F] [--seed S] FIRST SECOND\n";
        return 2;
    }
    const std::uint64_t differing = std::max<std::uint64_t>(1, options.files / 100);
    const std::uint64_t slots = options.files + differing;

    std::vector<Kind> kinds(slots, Kind::Same);
    for (std::uint64_t i = 0; i < differing; ++i) {
        kinds[i] = Kind::FirstOnly;
        kinds[differing + i] = Kind::SecondOnly;
        kinds[2 * differing + i] = Kind::FirstNewer;
        kinds[3 * differing + i] = Kind::SecondNewer;
    }
    std::shuffle(kinds.begin(), kinds.end(), std::mt19937_64(options.seed));

    for (const auto& root : {options.first, options.second}) {
        std::error_code error;
        fs::remove_all(root, error);
        for (std::uint64_t folder = 0; folder < options.folders; ++folder) {
            fs::create_directories(root / FolderPath(folder), error);
            if (error) {
                std::cerr << "cannot create " << (root / FolderPath(folder)).string() << ": " << error.message() << '\n';
                return 1;
            }
        }
    }

    // Even seconds from a fixed date, so the two-second time resolution never blurs a difference.
    using namespace std::chrono;
    const fs::file_time_type base =
        time_point_cast<fs::file_time_type::duration>(file_clock::from_sys(sys_seconds{sys_days{year{2024} / March / 1} + hours{9}}));
    for (std::uint64_t slot = 0; slot < slots; ++slot) {
        const Kind kind = kinds[slot];
        const fs::path relative = fs::path(FolderPath(slot % options.folders)) / FileName(slot);
        const fs::file_time_type older = base + seconds{2 * static_cast<std::int64_t>(slot % 86400)};
        const fs::file_time_type newer = older + hours{2};
        const std::string common = Contents(slot, options.seed, 0);
        bool ok = true;
        switch (kind) {
        case Kind::Same:
            ok = WriteFile(options.first / relative, common, older) && WriteFile(options.second / relative, common, older);
            break;
        case Kind::FirstOnly: ok = WriteFile(options.first / relative, common, older); break;
        case Kind::SecondOnly: ok = WriteFile(options.second / relative, common, older); break;
        case Kind::FirstNewer:
            ok = WriteFile(options.first / relative, Contents(slot, options.seed, 1), newer) &&
                 WriteFile(options.second / relative, common, older);
            break;
        case Kind::SecondNewer:
            ok = WriteFile(options.first / relative, common, older) &&
                 WriteFile(options.second / relative, Contents(slot, options.seed, 1), newer);
            break;
        }
        if (!ok) {
            std::cerr << "cannot write " << relative.string() << '\n';
            return 1;
        }
    }
    std::cout << "files per side: " << options.files << ", folders per side: " << options.folders
              << ", differing per kind: " << differing << '\n';
    return 0;
}
