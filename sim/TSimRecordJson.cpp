#include "TSimRecordJson.h"

#include <nlohmann/json.hpp>

std::string recordToJson(const TSimRecord& record, const std::string& sPort) {
    nlohmann::ordered_json j;
    j["port"] = sPort;
    j["frames"] = record.frames;
    j["nullFrames"] = record.nullFrames;
    j["badFrames"] = record.badFrames;
    j["identifies"] = record.identifies;
    j["switches"] = record.switches;
    j["records"] = record.records;
    j["badRecords"] = record.badRecords;
    j["commands"] = record.commands;
    j["echoes"] = record.echoes;
    j["droppedEchoes"] = record.droppedEchoes;
    j["corruptedEchoes"] = record.corruptedEchoes;
    j["runs"] = record.runs;
    j["restarts"] = record.restarts;
    j["ignoredBytes"] = record.ignoredBytes;
    j["inBootloader"] = record.inBootloader;
    j["lineCut"] = record.lineCut;
    j["updateDone"] = record.updateDone;
    j["blocks"] = record.blocks;
    j["lastRunBlocks"] = record.lastRunBlocks();
    return j.dump();
}
