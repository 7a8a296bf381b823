#pragma once
#include "tune/SidTuneInfo.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace notecast {

class Md5Context;

// One C64 tune: its C64 data, its header record, the per-song speed tables and
// the outcome of the last operation (status flag plus status text).
//
// Public contract used by the rest of the program (the loaders behind it are
// private to the tune subsystem):
//  - construct from a file name (format detection, companion files,
//    PowerPacker unpacking) or from a memory buffer;
//  - status() / getInfo();
//  - selectSong / selectSongClocked;
//  - setSongTiming (the engine writes clock, speed and speed text back);
//  - setIrqAddress, placeInC64Memory, installVudidazerPlayer;
//  - createFingerprint.
class SidTune {
public:
    static constexpr int kMaxSongs = 256;
    static constexpr std::size_t kMaxBufferLength = 65662;

    // Loads the named file; extensions == nullptr selects the default list of
    // companion-file extensions.
    explicit SidTune(const char* fileName, const char* const* extensions = nullptr);
    SidTune(const char* fileName, const char* const* extensions, bool slashSeparator);
    // Detects the tune in a memory buffer (PSID, RSID and MUS only).
    SidTune(const std::uint8_t* data, std::size_t length);
    virtual ~SidTune();

    SidTune(const SidTune&) = delete;
    SidTune& operator=(const SidTune&) = delete;

    bool load(const char* fileName);
    bool load(const std::uint8_t* data, std::size_t length);

    bool status() const { return status_; }
    // After a failed load: the file was read but is empty or none of the
    // formats, so it is no tune at all (rather than a damaged or unreadable
    // one).
    bool notATune() const;
    SidTuneInfo getInfo() const { return info_; }

    std::uint16_t selectSong(std::uint16_t song);
    std::uint16_t selectSongClocked(std::uint16_t song);
    // Written by the engine's song initialisation.
    void setSongTiming(std::uint8_t speed, std::uint8_t clock, const char* speedText);
    void setIrqAddress(std::uint16_t address) { info_.irqAddress = address; }

    // Copies the C64 data into a 64 KB memory image (wrapping past $FFFF).
    bool placeInC64Memory(std::uint8_t* memory);
    // Installs the built-in MUS player into a 64 KB memory image.
    virtual bool installVudidazerPlayer(std::uint8_t* memory);

    // Adds the tune's fingerprint bytes to an initialised MD5 context.
    void createFingerprint(Md5Context& md5);

    // The cached file and the offset of the C64 data in it (for tests and the
    // fingerprint).
    const std::vector<std::uint8_t>& cachedFile() const { return cache_; }
    std::uint32_t dataOffset() const { return dataOffset_; }

protected:
    // Format recognisers; each fills the record and the tables on success.
    virtual bool acceptsPsid(const std::uint8_t* data, std::size_t length);
    // RSID: a refused file leaves its refusal text as the format text and
    // sets refusedRsid_, which ends the probing with that text.
    virtual bool acceptsRsid(const std::uint8_t* data, std::size_t length);
    virtual bool acceptsMus(const std::uint8_t* data, std::size_t length);
    virtual bool acceptsTooltypeInfo(const std::uint8_t* data, std::size_t dataLength,
                                     const std::uint8_t* info, std::size_t infoLength);
    virtual bool acceptsTextInfo(const std::uint8_t* data, std::size_t dataLength,
                                 const std::uint8_t* info, std::size_t infoLength);

    // Shared state for the recognisers (they live in their own files).
    // Fills the per-song speed and clock tables: song n (1-32) is CIA-timed
    // when bit n-1 of the word is set; songs above 32 share bit 31.
    void speedWordToTables(std::uint32_t speedWord);
    char* infoSlot(int index) { return infoSlots_[index]; }
    // Zero-fills info slots 0-2 and points the title, author and copyright
    // texts and info lines 1-3 at them; sets three info lines.
    void resetTextSlots();
    // Clears the fields that only a PSID header sets, so that a probe of
    // another format cannot leave them behind.
    void clearHeaderFlags();
    // The one-file header's flags word, relocation bytes and further SID
    // chips ($76-$7B; the caller has checked that the header is whole), and
    // its three text fields.
    void readHeaderTail(const std::uint8_t* data, std::uint16_t version, bool rsid);
    void readTextFields(const std::uint8_t* data);
    // Common end of both description-file recognisers: speed tables, the
    // load address from the data when the description gives none, the init
    // address, three info lines and the format text. False when the data is
    // too short to hold its load address.
    bool completeRawTune(std::uint32_t speedWord, const std::uint8_t* data,
                         std::size_t dataLength, const char* formatText);

    SidTuneInfo info_;
    bool status_ = false;
    std::uint8_t songSpeeds_[kMaxSongs] = {};
    std::uint8_t songClocks_[kMaxSongs] = {};
    std::uint16_t songLengths_[kMaxSongs] = {};
    char infoSlots_[5][81] = {};
    std::vector<std::uint8_t> cache_;
    std::uint32_t dataOffset_ = 0;
    bool slashSeparator_ = false;
    bool refusedRsid_ = false;
    std::string refusalText_;  // the status and format text of a refused RSID
    const char* const* extensions_ = nullptr;

private:
    void initialise();
    bool loadNamedFile(const char* fileName);
    bool loadBuffer(const std::uint8_t* data, std::size_t length);
    // Reads one file (unpacking PowerPacker data) into `buffer`; returns its
    // length, 0 on failure with the reason in the status text.
    std::size_t loadFile(const char* fileName, std::vector<std::uint8_t>& buffer);
    // Tries the companion files of `fileName`. With namedIsData the named file
    // is raw C64 data and a description is searched, otherwise the reverse.
    bool searchCompanion(const char* fileName, const std::vector<std::uint8_t>& named,
                         bool namedIsData);
    // Runs a recogniser and keeps its acceptance only when the data offset it
    // left lies within the data.
    bool probeSingle(bool (SidTune::*recogniser)(const std::uint8_t*, std::size_t),
                     const std::uint8_t* data, std::size_t length);
    bool probeInfo(const std::uint8_t* data, std::size_t dataLength,
                   const std::uint8_t* info, std::size_t infoLength);
    bool acceptTune(const char* dataName, const char* infoName, const std::uint8_t* data,
                    std::size_t length);
    std::string namePart(const std::string& name) const;
    bool refuseRsid();
};

} // namespace notecast
