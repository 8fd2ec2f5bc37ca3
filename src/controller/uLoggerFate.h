// What became of the logger in one run: whether it was switched into its
// bootloader, how many records it took, and where it was left.  Every front
// end can tell the operator this when a run ends, also where the session's
// own texts say nothing about it (a read-info-only run, an image that fits
// no logger, a cancel halfway through the writing).
//
// It is read from the notifications the sessions post, in order:
//  - the first answer of a session: the logger's class, 0xC802 when its
//    bootloader runs; any other class means its application runs and the
//    session will switch it (unless the family check stops it first);
//  - a second answer before the writing: after the switch, 0xC802 when the
//    logger entered its bootloader;
//  - cNT_UPDATE_IMAGE: the image was chosen and the writing begins;
//  - cNT_PROGRESS, cNT_VECTOR_TABLE and cNT_PROG_ERROR_LINE: how far the
//    writing came (progress moves a whole percent at a time, so between two
//    steps the count is a lower bound);
//  - the answer after the writing: the class the restarted logger reports.
#pragma once

#include "images/uImageCheck.h"
#include "session/uNotify.h"

#include <array>

// How the logger came to be in its bootloader in this run.
enum class TBootloaderEntry {
    notSwitched,   // it was not switched (it never answered, or the family check stopped it)
    maybeSwitched, // the switch may have gone out, but the logger told nothing after it
    didNotEnter,   // it was switched, but still answered from its application
    switched,      // the run switched it from its application into its bootloader
    alreadyIn,     // it answered from its bootloader at once: an earlier run left it there
};

// Where the logger was when the run ended, as far as it told.
enum class TLoggerPlace {
    unknown,     // it never answered, or it told nothing since a switch or its final restart
    application, // its application runs (its old one, or the new firmware)
    bootloader,  // it waits in its bootloader
};

struct TLoggerFate {
    TBootloaderEntry bootloader = TBootloaderEntry::notSwitched;
    TLoggerPlace place = TLoggerPlace::unknown;
    // An image was announced: the bootloader was told to begin writing, so
    // the logger's old firmware is no longer whole.
    bool writingBegun = false;
    // Records the logger echoed in the last session that wrote (sessions
    // started again write from the first record).  Exact when recordsExact,
    // else at least this many: the session ended between two progress steps.
    int recordsWritten = 0;
    bool recordsExact = true;
    int recordsTotal = 0; // records of the image written, the vector table included; 0 before
    // The session ended after the last record, before the restarted logger
    // answered: it may be restarting with the new firmware.
    bool restartUnconfirmed = false;

    bool waitsInBootloader() const { return place == TLoggerPlace::bootloader; }
    bool allRecordsWritten() const {
        return writingBegun && recordsExact && recordsWritten == recordsTotal;
    }
    bool operator==(const TLoggerFate&) const = default;
};

// Follows one run's notifications and keeps its TLoggerFate.
class TLoggerFateTracker {
  public:
    const TLoggerFate& fate() const { return FFate; }
    // An operator's start: a new run with a new logger.
    void runStarted();
    // A session of the run starts (also a restart).
    void sessionStarted();
    // The image announced by cNT_UPDATE_IMAGE, checked as the session checked
    // it: the records it writes, in order.
    void imageAnnounced(const TCheckedImage& image);
    // Every notification the session posted, in order (the final one too).
    void take(const TNotification& n);

  private:
    void takeClass(std::uint16_t cls);
    void takeFinal(const TNotification& n);
    int writesBefore(int lineIndex) const;

    TLoggerFate FFate;
    // This session.
    int FAnswers = 0;          // classes answered before the writing
    bool FSwitchDue = false;   // the application answered: the switch follows
    bool FWriting = false;     // the image was announced
    bool FLastRecords = false; // the last record may have gone out: the finish follows
    // The announced image.
    std::vector<TWriteStep> FSteps;
    int FLastLine = 0;
    int FDataRecords = 0; // records written before the vector table
    bool FHasVectorTable = false;
    int FLastPercent = 0; // the last progress the image posts
    // Records echoed when each percent is posted; -1 for one never posted.
    std::array<int, 100> FWritesAtPercent{};
};
