// The update session of the Tarvek2 logger: identify, switch into the
// bootloader, read the identity, choose the image, write it record by record
// (each confirmed by the logger's echo, the vector table last), end the
// bootloader and check the class the restarted logger reports.
#pragma once

#include "images/uImageCheck.h"
#include "images/uImageConstants.h"
#include "session/uCommThread.h"

// Protocol constants of the Tarvek2 bootloader.
inline constexpr std::uint16_t cBootloaderClass = 0xC802;
inline constexpr std::uint16_t cTargetFamilyClass = 0x6621;
inline constexpr std::uint16_t cRequiredBootloader = 3;
inline constexpr std::uint16_t cRequiredUpdateInfo = 0xFFFE;

inline constexpr std::uint8_t cCmdIdentify = 1;
inline constexpr std::uint8_t cCmdSwitch = 2;
inline constexpr std::uint8_t cBlIdentity = 0x20;      // answer: 6 data bytes
inline constexpr std::uint8_t cBlIdentityBlock = 0x30; // answer: 64 data bytes
inline constexpr std::uint8_t cBlBegin = 0x31;         // answer: 1 data byte
inline constexpr std::uint8_t cBlFinish = 0x33;        // no answer; the logger restarts

inline constexpr int cSwitchPauseMs = 1;
inline constexpr int cFinishPauseMs = 500;
inline constexpr int cRestartPauseMs = 4000;

class TTarvekCommThread : public TCommThread {
  public:
    using TCommThread::TCommThread;

  protected:
    void DoSession() override;

  private:
    void Identify();
    void QueryIdentity();
    void ChooseImage();
    void CheckImage();
    void WriteImage();
    void FinishAndVerify();
    void WriteRecord(const std::string& line, int index);

    std::uint16_t FClass = 0xFFFF;
    std::uint16_t FVersion = 0xFFFF;
    std::uint16_t FPlatform = 0xFFFF;
    std::uint16_t FPrint = 0xFFFF;
    std::uint16_t FInfo = 0xFFFF;
    std::uint16_t FUpdateClass = 0xFFFF;
    std::uint16_t FUpdateInfo = 0xFFFF;
    TBl3FileHeader FHeader{};
    TCheckedImage FImage; // the selected image, checked: what WriteImage sends
};

// Creates the session class for the Tarvek2 through the base class, as the
// front ends do.
std::unique_ptr<TCommThread> CommThreadClass(TSessionContext context);
