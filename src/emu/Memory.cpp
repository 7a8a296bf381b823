#include "emu/C64.h"

#include "emu/MachineState.h"

#include <cstring>

namespace notecast::emu {

namespace {

C64& M = detail::theMachine;

constexpr std::uint16_t kIoStart = 0xD000;
constexpr std::uint16_t kSidStart = 0xD400;
constexpr std::uint16_t kSidEnd = 0xD800;   // exclusive
constexpr std::uint16_t kIoEnd = 0xE000;    // exclusive

bool inSidWindow(std::uint16_t address) { return address >= kSidStart && address < kSidEnd; }

// Raster line and CIA timer reads must change from read to read, or tunes
// that wait on them would never leave their loops.
std::uint8_t nextRandom() {
    M.random = M.random * 13u + 1u;
    return static_cast<std::uint8_t>(M.random >> 3);
}

std::uint8_t ioRead(std::uint16_t address) {
    if (address == 0xD011 || address == 0xD012 || address == 0xDC04 || address == 0xDC05)
        return nextRandom();
    if (inSidWindow(address)) {
        const unsigned r = address & 0x1Fu;
        if (r >= 0x1D) return M.io[address];
        if (r == 0x1B) return M.osc3;
        if (r == 0x1C) return M.env3;
        // The SID's other registers are write-only: the data bus still holds
        // the last byte written to the chip.
        return M.lastSidWrite;
    }
    return M.io[address];
}

// Registers $1D-$1F of every 32-byte mirror are the sample-channel registers,
// each at its own address; the real SID registers fold onto $D400-$D41C.
void sidWrite(std::uint16_t address, std::uint8_t value) {
    M.lastSidWrite = value;
    const unsigned r = address & 0x1Fu;
    if (r >= 0x1D) {
        M.io[address] = value;
        return;
    }
    M.io[address & 0xFC1Fu] = value;
    if (value & 1u)
        M.gateSet[r] = true;
    else
        M.gateCleared[r] = true;
}

std::uint8_t bankedRead(std::uint16_t address) {
    if (address < 0xA000) return M.ram[address];
    if (address < 0xC000) return M.basicVisible ? M.ioRom[address] : M.ram[address];
    if (address < kIoStart) return M.ram[address];
    if (address < kIoEnd) return M.ioVisible ? ioRead(address) : M.ram[address];
    return M.kernalVisible ? M.ioRom[address] : M.ram[address];
}

std::uint8_t transparentRead(std::uint16_t address) {
    if (address >= kIoStart && address < kIoEnd && M.ioVisible) return ioRead(address);
    return M.ram[address];
}

std::uint8_t flatRead(std::uint16_t address) { return M.ram[address]; }

void ioAwareWrite(std::uint16_t address, std::uint8_t value) {
    if (address < kIoStart || address >= kIoEnd || !M.ioVisible) {
        M.ram[address] = value;
        if (address == 1) updateBankFlags();
    } else if (inSidWindow(address)) {
        sidWrite(address, value);
    } else {
        M.io[address] = value;
    }
}

void flatWrite(std::uint16_t address, std::uint8_t value) {
    if (inSidWindow(address))
        sidWrite(address, value);
    else
        M.ram[address] = value;
}

bool romTargetBanked(std::uint16_t target) {
    if (target >= kIoEnd) return M.kernalVisible;
    if (target >= kIoStart) return M.ioVisible;
    if (target >= 0xA000 && target < 0xC000) return M.basicVisible;
    return false;
}

bool romTargetTransparent(std::uint16_t target) { return target >= kIoStart && M.kernalVisible; }

bool romTargetNever(std::uint16_t) { return false; }

void put16(std::uint8_t* image, std::uint16_t address, std::uint16_t value) {
    image[address] = static_cast<std::uint8_t>(value);
    image[static_cast<std::uint16_t>(address + 1)] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace

void installMemoryMode(int mode) {
    if (mode != kMemoryTransparentRom && mode != kMemoryRomless) mode = kMemoryBankSwitching;
    M.memoryMode = mode;
    switch (mode) {
    case kMemoryTransparentRom:
        M.io = M.ioRom;
        M.readData = transparentRead;
        M.writeData = ioAwareWrite;
        M.romTarget = romTargetTransparent;
        break;
    case kMemoryRomless:
        M.io = M.ram;
        M.readData = flatRead;
        M.writeData = flatWrite;
        M.romTarget = romTargetNever;
        break;
    default:
        M.io = M.ioRom;
        M.readData = bankedRead;
        M.writeData = ioAwareWrite;
        M.romTarget = romTargetBanked;
        break;
    }
}

void clearMemory() {
    std::memset(M.ram, 0, sizeof M.ram);
    if (M.memoryMode == kMemoryRomless) {
        // No ROM: the KERNAL area of RAM answers every call with a return.
        std::memset(M.ram + 0xE000, 0x40, 0x2000);
        return;
    }
    // The ROM areas hold returns only: RTS for BASIC, RTI for the KERNAL.
    std::memset(M.ioRom, 0, sizeof M.ioRom);
    std::memset(M.ioRom + 0xA000, 0x60, 0x2000);
    std::memset(M.ioRom + 0xE000, 0x40, 0x2000);
}

void resetIo(int clock, std::uint32_t seed) {
    M.random += seed;
    M.ram[0] = 0x2F;
    M.ram[1] = 0x07;
    updateBankFlags();

    const bool ntsc = clock == 2;
    M.ram[0x02A6] = ntsc ? 0 : 1;
    put16(M.io, 0xDC04, ntsc ? 17045 : 16421);
    M.io[0xD019] = 0xFF;

    // KERNAL vectors: IRQ $EA31, BRK $FE66, NMI $FE47.
    static constexpr std::uint8_t kVectors[] = {0x31, 0xEA, 0x66, 0xFE, 0x47, 0xFE};
    std::memcpy(M.ram + 0x0314, kVectors, sizeof kVectors);
    if (M.memoryMode == kMemoryRomless) {
        // JMP ($0314) at $FF48, reached through the IRQ vector below.
        M.ram[0xFF48] = 0x6C;
        put16(M.ram, 0xFF49, 0x0314);
        put16(M.ram, 0xFFFA, 0xFFF8);
    } else {
        put16(M.ram, 0xFFFA, 0xFE43);
        put16(M.ram, 0xFFFC, 0xFCE2);
    }
    put16(M.ram, 0xFFFE, 0xFF48);

    std::memset(M.io + kSidStart, 0, 0x1D);
    M.lastSidWrite = 15;
    M.io[0xD418] = 15;
}

void updateBankFlags() {
    const std::uint8_t value = M.ram[1];
    M.basicVisible = (value & 3u) == 3u;
    M.ioVisible = (value & 7u) > 4u;
    M.kernalVisible = (value & 2u) != 0;
}

std::uint8_t bankValueFor(std::uint16_t address) {
    if (M.memoryMode == kMemoryRomless) return 4;
    if (address < 0xA000) return 7;
    if (address < kIoStart) return 6;
    if (address < kIoEnd) return 4;
    return 5;
}

} // namespace notecast::emu
