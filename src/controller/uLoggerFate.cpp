#include "controller/uLoggerFate.h"

#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"

void TLoggerFateTracker::runStarted() {
    FFate = {};
    sessionStarted();
}

void TLoggerFateTracker::sessionStarted() {
    FAnswers = 0;
    FSwitchDue = false;
    FWriting = false;
    FLastRecords = false;
}

// The percents the session posts as it goes through the steps: its progress
// starts at 0 and is posted whenever index * 99 / last changes.
void TLoggerFateTracker::imageAnnounced(const TCheckedImage& image) {
    using TKind = TWriteStep::TKind;
    FWriting = true;
    FSteps = image.steps;
    FLastLine = image.lastLine;
    FDataRecords = 0;
    FHasVectorTable = false;
    FLastPercent = 0;
    FWritesAtPercent.fill(-1);
    int percent = 0;
    for (const TWriteStep& step : FSteps) {
        if (step.kind == TKind::holdVectorTable) continue;
        if (step.kind == TKind::writeVectorTable) {
            FHasVectorTable = true;
            continue;
        }
        if (step.kind == TKind::write) ++FDataRecords;
        const int p = progressPercent(step.index, FLastLine);
        if (p != percent) {
            percent = p;
            FWritesAtPercent[static_cast<std::size_t>(p)] = FDataRecords;
        }
    }
    FLastPercent = percent;
    FFate.writingBegun = true;
    FFate.recordsWritten = 0;
    FFate.recordsExact = false;
    FFate.recordsTotal = FDataRecords + (FHasVectorTable ? 1 : 0);
    FFate.restartUnconfirmed = false;
}

int TLoggerFateTracker::writesBefore(int lineIndex) const {
    int n = 0;
    for (const TWriteStep& step : FSteps)
        if (step.kind == TWriteStep::TKind::write && step.index < lineIndex) ++n;
    return n;
}

void TLoggerFateTracker::take(const TNotification& n) {
    switch (n.kind) {
    case cNT_CLASS:
        takeClass(static_cast<std::uint16_t>(n.value & 0xFFFF));
        break;
    case cNT_PROGRESS:
        if (!FWriting || n.value < 0 || n.value > 99) break;
        if (const int writes = FWritesAtPercent[static_cast<std::size_t>(n.value)]; writes >= 0) {
            FFate.recordsWritten = writes;
            FFate.recordsExact = false;
        }
        // Without a vector table the last data record comes soon after
        // the last progress step, and the finish right after it.
        if (!FHasVectorTable && n.value == FLastPercent) FLastRecords = true;
        break;
    case cNT_VECTOR_TABLE:
        // Every other record is in; the vector table's goes out now.
        if (!FWriting || n.value != 1) break;
        FFate.recordsWritten = FDataRecords;
        FFate.recordsExact = false;
        FLastRecords = true;
        break;
    case cNT_PROG_ERROR_LINE:
        // The records before it were echoed right; its own echo differed.
        if (!FWriting) break;
        FFate.recordsWritten = writesBefore(n.value);
        FFate.recordsExact = true;
        FLastRecords = false;
        break;
    default:
        if (isFinalNotification(n.kind)) takeFinal(n);
        break;
    }
}

void TLoggerFateTracker::takeClass(std::uint16_t cls) {
    const bool bootloader = cls == cBootloaderClass;
    if (FWriting) {
        // The answer of the restarted logger after the finish record.
        FFate.place = bootloader ? TLoggerPlace::bootloader : TLoggerPlace::application;
        FFate.recordsWritten = FFate.recordsTotal;
        FFate.recordsExact = true;
        FFate.restartUnconfirmed = false;
        FLastRecords = false;
        return;
    }
    TBootloaderEntry& entry = FFate.bootloader;
    if (FAnswers++ == 0) {
        if (bootloader) {
            // Met in its bootloader: switched by this run's earlier session
            // (whose word after the switch was lost), or by an earlier run.
            if (entry == TBootloaderEntry::notSwitched) entry = TBootloaderEntry::alreadyIn;
            if (entry == TBootloaderEntry::maybeSwitched || entry == TBootloaderEntry::didNotEnter)
                entry = TBootloaderEntry::switched;
            FFate.place = TLoggerPlace::bootloader;
        } else {
            if (entry == TBootloaderEntry::maybeSwitched) entry = TBootloaderEntry::notSwitched;
            FFate.place = TLoggerPlace::application;
            FSwitchDue = true;
        }
        return;
    }
    // The answer after the switch.
    FSwitchDue = false;
    if (bootloader) {
        entry = TBootloaderEntry::switched;
        FFate.place = TLoggerPlace::bootloader;
    } else {
        if (entry != TBootloaderEntry::switched && entry != TBootloaderEntry::alreadyIn)
            entry = TBootloaderEntry::didNotEnter;
        FFate.place = TLoggerPlace::application;
    }
}

void TLoggerFateTracker::takeFinal(const TNotification& n) {
    if (FSwitchDue) {
        // Only the family check ends a session between the first answer and
        // the switch; any other end may have come after the switch went out.
        const bool familyCheck = n.kind == cNT_ABORT && n.value == cEX_NO_UPDATE;
        if (!familyCheck) {
            if (FFate.bootloader == TBootloaderEntry::notSwitched)
                FFate.bootloader = TBootloaderEntry::maybeSwitched;
            FFate.place = TLoggerPlace::unknown;
        }
    }
    if (FLastRecords) {
        // The finish record may have gone out: the logger may be restarting.
        FFate.place = TLoggerPlace::unknown;
        FFate.restartUnconfirmed = true;
    }
    if (n.kind == cNT_DONE) {
        FFate.recordsWritten = FFate.recordsTotal;
        FFate.recordsExact = true;
    }
    sessionStarted();
}
