#include "scripted_logger.h"

namespace {

class TScriptedPort final : public IPort {
  public:
    explicit TScriptedPort(TScriptedLogger& logger) : L(logger) {}
    ~TScriptedPort() override { close(); }

    bool clearError() override { return ++L.clears != L.failClearAt; }
    bool purge() override {
        if (++L.purges == L.failPurgeAt) return false;
        L.pending.clear();
        return true;
    }
    bool write(const std::uint8_t* data, std::size_t n, std::size_t& written) override {
        ++L.writes;
        if (L.writes == L.failWriteAt) return false;
        written = L.writes == L.shortWriteAt ? n / 2 : n;
        L.clock.advance(static_cast<std::int64_t>(written));
        L.handleWrite(std::string(reinterpret_cast<const char*>(data), written));
        return true;
    }
    bool read(std::uint8_t* data, std::size_t n, std::size_t& got) override {
        if (++L.reads == L.failReadAt) return false;
        got = std::min(n, L.pending.size());
        for (std::size_t i = 0; i < got; ++i)
            data[i] = static_cast<std::uint8_t>(L.pending[i]);
        L.pending.erase(0, got);
        L.clock.advance(got < n ? readTimeoutMs(n) : static_cast<std::int64_t>(n));
        return true;
    }
    void close() override {
        if (!closed) {
            closed = true;
            L.open = false;
            ++L.closes;
        }
    }

  private:
    TScriptedLogger& L;
    bool closed = false;
};

} // namespace

TPortOpener TScriptedLogger::opener() {
    return [this](const std::string&, int, TPortProblem&) -> TPortHandle {
        ++opens;
        open = true;
        return std::make_unique<TScriptedPort>(*this);
    };
}

TPortOpener TScriptedLogger::failingOpener() {
    return [](const std::string& sPort, int, TPortProblem& problem) -> TPortHandle {
        problem.cause = TPortCause::missing;
        problem.step = TPortStep::open;
        problem.sCall = "open";
        problem.sPath = sPort;
        return nullptr;
    };
}

std::string TScriptedLogger::frame(std::uint8_t status, std::uint16_t cls, std::uint16_t version) {
    std::uint8_t b[8] = {status,
                         0,
                         static_cast<std::uint8_t>(cls >> 8),
                         static_cast<std::uint8_t>(cls),
                         static_cast<std::uint8_t>(version >> 8),
                         static_cast<std::uint8_t>(version),
                         0,
                         0};
    b[7] = CRC8(b, 7);
    return std::string(reinterpret_cast<const char*>(b), 8);
}

std::string TScriptedLogger::record(std::uint16_t block, std::uint8_t type,
                                    const std::vector<std::uint8_t>& data) {
    return makeRecord(block, type, data);
}

void TScriptedLogger::handleWrite(const std::string& bytes) {
    TExchange ex;
    ex.written = bytes;
    if (bytes.size() == 8 && bytes[0] != ':') {
        const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
        ex.command = b[0];
        if (bytes == std::string(8, '\0'))
            ex.kind = TExchange::nullFrame;
        else if (CRC8(b, 7) != b[7])
            ex.kind = TExchange::garbage;
        else if (b[0] == 0x81) {
            ex.kind = TExchange::identify;
            if (restarted)
                ex.answer = frame(0, id.classAfterRestart, id.appVersion);
            else if (inBootloader())
                ex.answer = frame(0, 0xC802, id.blVersion);
            else
                ex.answer = frame(0, id.appClass, id.appVersion);
        } else if (b[0] == 0x82) {
            ex.kind = TExchange::switchFrame;
            if (!id.staysInApp) switched = true;
        } else {
            ex.kind = TExchange::otherFrame;
        }
    } else {
        TRecordConverter conv;
        conv.sHexLine = bytes;
        if (!conv.LineToRecord()) {
            ex.kind = TExchange::garbage;
        } else if (conv.type() == 0x05 && conv.count() == 1) {
            ex.kind = TExchange::blCommand;
            ex.command = conv.data(0);
            ex.block = conv.address();
            switch (ex.command) {
            case 0x20:
                ex.answer = record(
                    0, 0x05,
                    {static_cast<std::uint8_t>(id.platform >> 8),
                     static_cast<std::uint8_t>(id.platform),
                     static_cast<std::uint8_t>(id.print >> 8), static_cast<std::uint8_t>(id.print),
                     static_cast<std::uint8_t>(id.info >> 8), static_cast<std::uint8_t>(id.info)});
                break;
            case 0x30: {
                std::vector<std::uint8_t> block(64, 0x5A);
                block[0] = static_cast<std::uint8_t>(id.updateClass);
                block[1] = static_cast<std::uint8_t>(id.updateClass >> 8);
                block[2] = static_cast<std::uint8_t>(id.updateInfo);
                block[3] = static_cast<std::uint8_t>(id.updateInfo >> 8);
                ex.answer = record(ex.block, 0x05, block);
                break;
            }
            case 0x31:
                ex.answer = record(0, 0x05, {0x00});
                break;
            case 0x33:
                restarted = true;
                break;
            default:
                break;
            }
        } else {
            ex.kind = TExchange::dataRecord;
            ex.block = conv.address();
            ex.recordIndex = static_cast<int>(writtenBlocks.size());
            ex.answer = bytes;
        }
    }
    if (fault) fault(ex);
    if (ex.kind == TExchange::dataRecord && !ex.answer.empty()) writtenBlocks.push_back(ex.block);
    pending += ex.answer;
    log.push_back(ex);
}
