#include "tune/Md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace notecast {
namespace {

std::string md5Of(const std::string& text, std::size_t chunk) {
    Md5Context md5;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    for (std::size_t at = 0; at < text.size(); at += chunk) {
        md5.update(bytes + at, std::min(chunk, text.size() - at));
    }
    md5.finish();
    return md5.keyText();
}

TEST(Md5, Rfc1321TestSuiteInAnyChunkingAndAfterInit) {
    const std::pair<std::string, std::string> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    // Chunk sizes that straddle the 64-byte block and the 56-byte padding edge.
    for (std::size_t chunk : {1u, 7u, 55u, 56u, 63u, 64u, 1000u}) {
        for (const auto& [text, digest] : suite) EXPECT_EQ(md5Of(text, chunk), digest) << text << "/" << chunk;
    }
    // Lengths around the padding boundary.
    EXPECT_EQ(md5Of(std::string(55, 'a'), 64), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(md5Of(std::string(56, 'a'), 64), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(md5Of(std::string(64, 'a'), 64), "014842d480b571495a4a0363793f7367");

    // init() forgets what came before.
    Md5Context md5;
    md5.update(reinterpret_cast<const std::uint8_t*>("junk"), 4);
    md5.init();
    md5.update(reinterpret_cast<const std::uint8_t*>("abc"), 3);
    md5.finish();
    EXPECT_EQ(md5.keyText(), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5.digest()[0], 0x90);
}

} // namespace
} // namespace notecast
