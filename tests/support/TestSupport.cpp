#include "support/TestSupport.h"

#include <random>
#include <fstream>
#include <iterator>

namespace notecast::test {

namespace fs = std::filesystem;

fs::path sharedDir() {
    fs::path dir = NOTECAST_SHARED_DIR;
    std::error_code ec;
    return fs::is_directory(dir / "testdata", ec) ? dir : fs::path();
}

fs::path sharedFile(const std::string& relative) {
    fs::path dir = sharedDir();
    if (dir.empty()) return {};
    fs::path p = dir / "testdata" / relative;
    std::error_code ec;
    return fs::exists(p, ec) ? p : fs::path();
}

fs::path scratchDir(const std::string& name) {
    // One root per test process, so parallel test runs do not collide.
    static const fs::path root = [] {
        std::random_device rd;
        fs::path r = fs::temp_directory_path() / ("notecast-test-" + std::to_string(rd()));
        fs::create_directories(r);
        return r;
    }();
    static const struct Cleanup {
        ~Cleanup() {
            std::error_code ec;
            fs::remove_all(root, ec);
        }
    } cleanup;
    fs::path dir = root / name;
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir;
}

std::vector<std::uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void writeFile(const fs::path& path, const std::string& text) {
    writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> PsidBuilder::build() const {
    std::vector<std::uint8_t> f(version >= 2 ? 0x7C : 0x76, 0);
    auto put16 = [&](std::size_t at, std::uint16_t v) {
        f[at] = static_cast<std::uint8_t>(v >> 8);
        f[at + 1] = static_cast<std::uint8_t>(v & 0xFF);
    };
    f[0] = 'P'; f[1] = 'S'; f[2] = 'I'; f[3] = 'D';
    put16(4, version);
    put16(6, static_cast<std::uint16_t>(f.size()));
    put16(8, embedLoadAddress ? 0 : load);
    put16(10, init);
    put16(12, play);
    put16(14, songs);
    put16(16, startSong);
    put16(18, static_cast<std::uint16_t>(speed >> 16));
    put16(20, static_cast<std::uint16_t>(speed & 0xFFFF));
    auto text = [&](std::size_t at, const std::string& s) {
        for (std::size_t i = 0; i < s.size() && i < 32; ++i) f[at + i] = static_cast<std::uint8_t>(s[i]);
    };
    text(0x16, name);
    text(0x36, author);
    text(0x56, copyright);
    if (version >= 2) f[0x77] = flags;
    if (embedLoadAddress) {
        f.push_back(static_cast<std::uint8_t>(load & 0xFF));
        f.push_back(static_cast<std::uint8_t>(load >> 8));
    }
    f.insert(f.end(), code.begin(), code.end());
    return f;
}

} // namespace notecast::test
