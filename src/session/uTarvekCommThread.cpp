#include "session/uTarvekCommThread.h"

#include "session/uExceptions1V0.h"

std::unique_ptr<TCommThread> CommThreadClass(TSessionContext context) {
    return std::make_unique<TTarvekCommThread>(std::move(context));
}

void TTarvekCommThread::DoSession() {
    Identify();
    QueryIdentity();
    ChooseImage();
    if (FSettings.bInfoOnly) throw EVorn(cEX_INFO_ONLY);
    CheckImage();
    Post(cNT_UPDATE_IMAGE, static_cast<std::int32_t>(FCmd));
    WriteImage();
    FinishAndVerify();
}

// Identify the logger; if its application runs, switch it into the bootloader
// and identify once more.
void TTarvekCommThread::Identify() {
    for (int pass = 1;; ++pass) {
        SendCommand(true, cCmdIdentify);
        FClass = BytesToWord(FRxBuffer[2], FRxBuffer[3]);
        FVersion = BytesToWord(FRxBuffer[4], FRxBuffer[5]);
        Post(cNT_CLASS, FClass);
        Post(cNT_VERSION, FVersion);
        if (FClass == cBootloaderClass) return;
        if (FSettings.bCheckFamily && FClass != cTargetFamilyClass) throw EVorn(cEX_NO_UPDATE);
        if (pass == 2) throw EVorn(cEX_NO_UPDATE);
        SendCommand(false, cCmdSwitch, 0x81, 0x00, 0xA5, 0x5A, 0x00, 0x00);
        Sleep(cSwitchPauseMs);
    }
}

// Platform, print and info from the identity record (big-endian words), then
// update class and update info from the identity block (little-endian words).
void TTarvekCommThread::QueryIdentity() {
    FUpdateClass = 0xFFFF;
    FUpdateInfo = 0xFFFF;

    std::string answer;
    if (!SendLine(makeCommandRecord(0, cBlIdentity), 6, false)) throw EVorn(cEX_INVALID_ANSWER);
    GetAnswer(answer);
    FConv.sHexLine = answer;
    if (!FConv.LineToRecord()) throw EVorn(cEX_INVALID_ANSWER);
    FPlatform = checkPlatform(BytesToWord(FConv.data(0), FConv.data(1)));
    if (FPlatform == 14) FPlatform = 15;
    FPrint = checkPrint(BytesToWord(FConv.data(2), FConv.data(3)));
    FInfo = BytesToWord(FConv.data(4), FConv.data(5));

    if (FPlatform != 0xFFFF) {
        const std::uint32_t first = getMemoryMap(FPlatform)[0].first;
        const auto block = static_cast<std::uint16_t>((first / 64) & 0xFFFF);
        if (!SendLine(makeCommandRecord(block, cBlIdentityBlock), 64, false))
            throw EVorn(cEX_INVALID_ANSWER);
        GetAnswer(answer);
        FConv.sHexLine = answer;
        if (!FConv.LineToRecord()) throw EVorn(cEX_INVALID_ANSWER);
        FUpdateClass = checkClass(BytesToWord(FConv.data(1), FConv.data(0)));
        FUpdateInfo = BytesToWord(FConv.data(3), FConv.data(2));
    }

    Post(cNT_PLATFORM, FPlatform);
    Post(cNT_PRINT, FPrint);
    Post(cNT_INFO, FInfo);
    Post(cNT_UPDATE_CLASS, FUpdateClass);
    Post(cNT_UPDATE_INFO, FUpdateInfo);
}

// The operator's file alone when it is selected, else the built-in images in
// slot order; the first that fits the logger wins.
void TTarvekCommThread::ChooseImage() {
    const bool fileOnly = FCatalog.iSelectedFW.load() == 0;
    const int first = fileOnly ? 0 : 1;
    const int last = fileOnly ? 0 : TFWCatalog::getFWCount();
    FCatalog.iSelectedFW = -1;
    for (int slot = first; slot <= last; ++slot) {
        Post(cNT_CHECK_IMAGE, slot);
        const TBl3FileHeader h = FCatalog.getFWHeader(slot);
        const bool fits = (!FSettings.bCheckClass || FUpdateClass == h.vorn_class) &&
                          FPlatform == h.vorn_platform && FPrint == h.vorn_print &&
                          h.vorn_bl == cRequiredBootloader &&
                          (!FSettings.bCheckInfo || FUpdateInfo == cRequiredUpdateInfo);
        if (fits) {
            FHeader = h;
            FCatalog.iSelectedFW = slot;
            return;
        }
    }
    throw EVorn(cEX_UPID_MISMATCH);
}

// The image must end with the end line after at least one data line, and
// every data line must convert: a bad line is found here, before anything is
// written, not halfway through the logger's flash.  Each line is converted
// once; WriteImage sends the records this check leaves.
void TTarvekCommThread::CheckImage() {
    FImage = checkImageRecords(FCatalog.getLastLine(), [this](int i, std::string& line) {
        return FCatalog.getLine(i, line);
    });
    if (!FImage.endLineOk) throw EVorn(cEX_LAST_LINE);
    if (FImage.badLine >= 0) {
        Post(cNT_CONV_ERROR_LINE, FImage.badLine);
        throw EVorn(cEX_CONVERSION);
    }
}

void TTarvekCommThread::WriteRecord(const std::string& line, int index) {
    SendLine(line, 64, true);
    std::string answer;
    GetAnswer(answer);
    if (answer != line) {
        Post(cNT_PROG_ERROR_LINE, index);
        throw EVorn(cEX_PROG_REPEAT);
    }
}

// The checked records in write order: every line but the vector table
// moves the progress on; the vector table's record goes last.
void TTarvekCommThread::WriteImage() {
    using TKind = TWriteStep::TKind;
    SendLine(makeCommandRecord(0, cBlBegin), 1, true);
    for (const TWriteStep& step : FImage.steps) {
        switch (step.kind) {
        case TKind::write:
            WriteRecord(step.line, step.index);
            SetProgress(step.index, FImage.lastLine);
            break;
        case TKind::passOver:
            SetProgress(step.index, FImage.lastLine);
            break;
        case TKind::holdVectorTable:
            Post(cNT_VECTOR_TABLE, 0);
            break;
        case TKind::writeVectorTable:
            Post(cNT_VECTOR_TABLE, 1);
            WriteRecord(step.line, step.index);
            break;
        }
    }
}

void TTarvekCommThread::FinishAndVerify() {
    Sleep(cFinishPauseMs);
    SendLine(makeCommandRecord(0, cBlFinish), 0, true);
    Sleep(cRestartPauseMs);
    SendCommand(true, cCmdIdentify);
    FClass = BytesToWord(FRxBuffer[2], FRxBuffer[3]);
    Post(cNT_CLASS, FClass);
    if (FClass != FHeader.vorn_class) throw EVorn(cEX_UPDATE_FAILED);
}
