// What a simulated Tarvek2 logger is and how it misbehaves, and what it saw on
// the line.
//
// The simulated logger plays the logger's side of the update traffic: it
// answers the identify command frame, leaves its application on the switch
// frame, answers the bootloader's command records (0x20 identity, 0x30 memory
// block, 0x31 begin, 0x33 finish) and echoes every data record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TSimConfig {
    // --- Identity --------------------------------------------------------
    // Class and firmware version that the application reports.
    std::uint16_t appClass = 0x6621;
    std::uint8_t versionMajor = 2;
    std::uint8_t versionMinor = 7;
    // Class and version that the bootloader reports.
    std::uint16_t bootClass = 0xC802;
    std::uint8_t bootVersionMajor = 3;
    std::uint8_t bootVersionMinor = 0;
    // Identity record (answer to bootloader command 0x20), big-endian words.
    std::uint16_t platform = 21;
    std::uint16_t print = 38;
    std::uint16_t info = 0x0000;
    // Identity block (answer to 0x30 at the platform's identity block),
    // little-endian words in data bytes 0-1 and 2-3.
    std::uint16_t updateClass = 0x6621;
    std::uint16_t updateInfo = 0xFFFE;
    // The logger is already in its bootloader when the line opens.
    bool startsInBootloader = false;
    // Class and version that the application reports after the bootloader
    // has finished; unset: the update class and the application's version.
    std::optional<std::uint16_t> classAfterRestart;
    std::optional<std::uint8_t> versionMajorAfterRestart;
    std::optional<std::uint8_t> versionMinorAfterRestart;

    // --- Faults ----------------------------------------------------------
    // Never answers anything (it still takes note of what arrives).
    bool silent = false;
    // Identify answers carry status bit 5 (0x20): not ready.
    bool notReady = false;
    // The first n answer frames carry a wrong CRC, the later ones a right one.
    int badCrcAnswers = 0;
    // The first n identify answers are preceded by noise bytes.
    int noiseAnswers = 0;
    std::vector<std::uint8_t> noiseBytes{0x00, 0xFF, 0x00};
    // Answers to 0x20 / 0x30 carry a wrong checksum (always).
    bool badAnswer20 = false;
    bool badAnswer30 = false;
    // The switch frame is ignored: the application keeps running.
    bool stayInApp = false;
    // Data-record faults, at the k-th data record (1-based) of a programming
    // run; a run starts with command 0x31, and a record that repeats the one
    // before it verbatim is a retry and keeps its position.  0: off.  Once:
    // only the first time the fault is due; always: every time, in every run.
    int corruptEchoAt = 0;
    bool corruptEchoAlways = false;
    int dropEchoAt = 0;
    bool dropEchoAlways = false;
    // The line is cut (the simulator closes its end) when data record k
    // arrives; nothing is answered.
    int cutAt = 0;
    // Pacing of the answers: each byte takes 10 bits at this baud rate.
    // 0: unpaced (a pseudo-terminal has no baud timing of its own).
    int baud = 0;
    // With baud: what the updater writes is also taken in at the line's pace
    // (a 139-character record is processed 145 ms after it was written at
    // 9600 baud), so that an exchange takes as long as on the real line.
    bool paceInput = false;

    std::uint16_t restartClass() const { return classAfterRestart.value_or(updateClass); }
};

// What the simulated logger saw and did.  Counters count whole frames and
// records as they arrived; blocks are 16-bit block addresses (address / 64).
struct TSimRecord {
    int frames = 0;     // command frames with a right CRC, null frames included
    int nullFrames = 0; // 8 zero bytes
    int badFrames = 0;  // 8-byte frames whose CRC did not match
    int identifies = 0; // identify frames (command 1)
    int switches = 0;   // switch frames that started the bootloader
    int records = 0;    // text records with a right checksum
    int badRecords = 0; // text records that did not convert
    int commands = 0;   // bootloader command records (type 05)
    int echoes = 0;     // data records echoed (also when the echo was corrupted)
    int droppedEchoes = 0;
    int corruptedEchoes = 0;
    int runs = 0;         // programming runs begun (command 0x31)
    int restarts = 0;     // bootloader finished (command 0x33)
    int ignoredBytes = 0; // bytes skipped while searching for a frame or record
    bool inBootloader = false;
    bool lineCut = false;
    // The identify after a restart has been answered: an update ended.
    bool updateDone = false;
    // Every data record written, in arrival order, retries and later runs
    // included.
    std::vector<std::uint16_t> blocks;
    // The data records of the latest programming run, one per position in
    // arrival order (a retry that repeats the record before it adds nothing).
    std::vector<std::string> lastRunLines;

    // Block addresses of lastRunLines.
    std::vector<std::uint16_t> lastRunBlocks() const;
};
