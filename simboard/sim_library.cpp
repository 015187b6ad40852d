// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "sim_library.h"

#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim_status.h"

namespace sim {

namespace {

// Fills a fixed text field: NUL-padded, or, for a board that leaves names
// unterminated, the text repeated over the whole field.
void fillField(char *field, size_t size, const std::string &text, bool terminated) {
    memset(field, 0, size);
    if (terminated || text.empty()) {
        memcpy(field, text.data(), text.size() < size ? text.size() : size - 1);
        return;
    }
    for (size_t i = 0; i < size; ++i) {
        field[i] = text[i % text.size()];
    }
}

enum class FileRead { read, absent, unreadable };

FileRead readFile(const char *path, std::string *text) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return FileRead::absent;
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        return FileRead::unreadable;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return FileRead::unreadable;
    }
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) {
        return FileRead::unreadable;
    }
    *text = content.str();
    return FileRead::read;
}

// Builds the boards and their service models; throws ConfigError.
std::vector<BoardState> buildBoards(const LibraryConfig &config) {
    std::vector<BoardState> boards;
    for (const BoardConfig &board : config.boards) {
        BoardState state;
        state.config = board;
        for (ServiceConfig &service : state.config.services) {
            std::unique_ptr<ServiceModel> model = makeServiceModel(service.name);
            for (const ModelSetting &setting : service.modelSettings) {
                std::string error;
                if (!model->configure(setting.key, setting.value, &service.faults, &error)) {
                    throw ConfigError(setting.line, "unknown key '" + setting.key +
                                                        "' for service " + service.name);
                }
                if (!error.empty()) {
                    throw ConfigError(setting.line, error);
                }
            }
            state.models.push_back(std::move(model));
            state.calls.emplace_back();
        }
        boards.push_back(std::move(state));
    }
    return boards;
}

} // namespace

Library &theLibrary() {
    static Library library;
    return library;
}

int32_t Library::displayMode(int32_t) { return kOk; }

int32_t Library::init(const char *configFile, int32_t *count) {
    if (started_) {
        return kAlreadyStarted;
    }
    if (configFile == nullptr) {
        return kBadArgument;
    }
    std::string text;
    const FileRead read = readFile(configFile, &text);
    if (read == FileRead::unreadable) {
        fprintf(stderr, "KEL: %s: the configuration file cannot be read\n", configFile);
        return kBadConfiguration;
    }
    const bool fromFile = read == FileRead::read;
    if (!fromFile) {
        text = kDefaultConfiguration; // no file: the built-in board
    }
    LibraryConfig config;
    try {
        config = parseConfiguration(text);
        boards_ = buildBoards(config);
    } catch (const ConfigError &error) {
        fprintf(stderr, "KEL: %s:%d: %s\n", fromFile ? configFile : "(default configuration)",
                error.line, error.what());
        boards_.clear();
        return kBadConfiguration;
    }
    if (config.initStatus < 0) {
        boards_.clear();
        return config.initStatus;
    }
    lidCount_ = config.lidCount;
    started_ = true;
    if (count != nullptr) {
        *count = static_cast<int32_t>(boards_.size());
    }
    return config.initStatus;
}

int32_t Library::lidList(uint32_t *lids, uint32_t capacity, uint32_t *count) {
    if (!started_) {
        return kNotStarted;
    }
    if (count == nullptr || (lids == nullptr && capacity > 0)) {
        return kBadArgument;
    }
    for (uint32_t i = 0; i < capacity && i < boards_.size(); ++i) {
        lids[i] = boards_[i].config.lid;
    }
    *count = lidCount_ ? *lidCount_ : static_cast<uint32_t>(boards_.size());
    return kOk;
}

const BoardState *Library::boardOfLid(uint32_t lid) const {
    for (const BoardState &board : boards_) {
        if (board.config.lid == lid) {
            return &board;
        }
    }
    return nullptr;
}

int32_t Library::getInfo(uint32_t lid, KEL_BoardInfo *info) {
    if (!started_) {
        return kNotStarted;
    }
    const BoardState *board = boardOfLid(lid);
    if (board == nullptr) {
        return kNoSuchBoard;
    }
    if (info == nullptr || info->size < sizeof(KEL_BoardInfo)) {
        return kBadArgument;
    }
    const BoardConfig &config = board->config;
    if (config.info == InfoBehaviour::fails) {
        return kInternalError;
    }
    if (config.info == InfoBehaviour::writesNothing) {
        return kOk;
    }
    info->boardType = config.boardType;
    fillField(info->name, sizeof info->name, config.name, config.nameTerminated);
    info->pid = config.pid;
    info->bus = config.bus;
    info->deviceNumber = config.deviceNumber;
    info->slot = config.slot;
    return kOk;
}

int32_t Library::open(uint32_t lid, uint32_t mode, uint32_t *grantedMode) {
    if (!started_) {
        return kNotStarted;
    }
    const BoardState *board = boardOfLid(lid);
    if (board == nullptr) {
        return kNoSuchBoard;
    }
    if (mode > KEL_MODE_SPY) {
        return kBadMode;
    }
    const BoardConfig &config = board->config;
    if (grantedMode != nullptr) {
        *grantedMode = config.openMode ? *config.openMode : mode;
    }
    if (config.openFails) {
        return config.openStatus;
    }
    if (config.openHandle) {
        return *config.openHandle; // a handle that was never allocated
    }
    const int32_t handle = nextDevice_++;
    devices_[handle] = OpenDevice{static_cast<size_t>(board - boards_.data())};
    return handle;
}

bool Library::deviceOpen(int32_t device) const {
    return started_ && devices_.find(device) != devices_.end();
}

int32_t Library::puList(int32_t device, KEL_PuEntry *list, uint32_t capacity, uint32_t *count) {
    if (!deviceOpen(device)) {
        return started_ ? kBadHandle : kNotStarted;
    }
    if (count == nullptr || (list == nullptr && capacity > 0)) {
        return kBadArgument;
    }
    const BoardConfig &config = boards_[devices_[device].board].config;
    *count = config.unitCount ? *config.unitCount : static_cast<uint32_t>(config.units.size());
    if (config.unitListStatus < 0 && !config.unitListFilledOnFailure) {
        return config.unitListStatus;
    }
    for (uint32_t i = 0; i < capacity && i < config.units.size(); ++i) {
        const UnitConfig &unit = config.units[i];
        list[i].id = unit.id;
        list[i].code = unit.code;
        list[i].attributes = unit.attributes;
        fillField(list[i].description, sizeof list[i].description, unit.description,
                  unit.descriptionTerminated);
    }
    return config.unitListStatus;
}

int32_t Library::puState(int32_t device, uint32_t puId, uint32_t *state) {
    if (!deviceOpen(device)) {
        return started_ ? kBadHandle : kNotStarted;
    }
    if (state == nullptr) {
        return kBadArgument;
    }
    for (const UnitConfig &unit : boards_[devices_[device].board].config.units) {
        if (unit.id == puId) {
            *state = unit.state;
            return kOk;
        }
    }
    return kBadArgument;
}

int32_t Library::serviceList(int32_t device, uint32_t reserved, KEL_ServiceEntry *list,
                             uint32_t capacity, uint32_t *count) {
    if (!deviceOpen(device)) {
        return started_ ? kBadHandle : kNotStarted;
    }
    if (reserved != 0 || count == nullptr || (list == nullptr && capacity > 0)) {
        return kBadArgument;
    }
    const BoardConfig &config = boards_[devices_[device].board].config;
    for (uint32_t i = 0; i < capacity && i < config.services.size(); ++i) {
        const ServiceConfig &service = config.services[i];
        fillField(list[i].name, sizeof list[i].name, service.name, service.nameTerminated);
        list[i].attributes = service.attributes;
    }
    *count =
        config.serviceCount ? *config.serviceCount : static_cast<uint32_t>(config.services.size());
    return kOk;
}

int32_t Library::capture(int32_t device, uint32_t reserved, uint32_t *mode, const char *name,
                         uint32_t /*timeout*/) {
    if (!deviceOpen(device)) {
        return started_ ? kBadHandle : kNotStarted;
    }
    if (reserved != 0 || mode == nullptr || name == nullptr) {
        return kBadArgument;
    }
    if (*mode > KEL_MODE_SPY) {
        return kBadMode;
    }
    const size_t board = devices_[device].board;
    const BoardConfig &config = boards_[board].config;
    const std::string wanted(name, strnlen(name, KEL_SERVICE_NAME_SIZE));
    size_t index = 0;
    while (index < config.services.size() && config.services[index].name != wanted) {
        ++index;
    }
    if (index == config.services.size()) {
        return kNoSuchService;
    }
    const ServiceConfig &service = config.services[index];
    if (service.grantedMode) {
        *mode = *service.grantedMode;
    }
    if (service.captureFails) {
        return service.captureStatus;
    }
    // Exclusive excludes every other holder but spies; shared excludes only
    // an exclusive holder; a spy is always let in.
    const uint32_t granted = *mode;
    if (granted != KEL_MODE_SPY) {
        for (const auto &held : services_) {
            const CapturedService &other = held.second;
            if (other.board == board && other.service == index && other.mode != KEL_MODE_SPY &&
                (granted == KEL_MODE_EXCLUSIVE || other.mode == KEL_MODE_EXCLUSIVE)) {
                return kBusy;
            }
        }
    }
    if (service.captureHandle) {
        return *service.captureHandle; // a handle that was never allocated
    }
    const int32_t handle = nextService_++;
    services_[handle] = CapturedService{device, board, index, granted};
    return handle;
}

size_t Library::recordSize(int32_t service, uint32_t code) const {
    const auto held = services_.find(service);
    if (!started_ || held == services_.end()) {
        return 0;
    }
    return boards_[held->second.board].models[held->second.service]->recordSize(code);
}

int32_t Library::ctrl(int32_t service, uint32_t reserved, uint32_t code, void *record) {
    const auto held = services_.find(service);
    if (!started_) {
        return kNotStarted;
    }
    if (held == services_.end()) {
        return kBadHandle;
    }
    if (reserved != 0) {
        return kBadArgument;
    }
    const CapturedService &captured = held->second;
    BoardState &board = boards_[captured.board];
    ServiceModel &model = *board.models[captured.service];
    if (model.recordSize(code) > 0 && record == nullptr) {
        return kBadArgument;
    }
    return controlWithFaults(&model, board.config.services[captured.service].faults,
                             &board.calls[captured.service], code, record, captured.mode);
}

int32_t Library::release(int32_t service, uint32_t reserved) {
    if (!started_) {
        return kNotStarted;
    }
    if (services_.find(service) == services_.end()) {
        return kBadHandle;
    }
    if (reserved != 0) {
        return kBadArgument;
    }
    services_.erase(service);
    return kOk;
}

void Library::releaseHeldBy(int32_t device) {
    for (auto held = services_.begin(); held != services_.end();) {
        held = held->second.device == device ? services_.erase(held) : std::next(held);
    }
}

int32_t Library::close(int32_t device) {
    if (!deviceOpen(device)) {
        return started_ ? kBadHandle : kNotStarted;
    }
    releaseHeldBy(device);
    devices_.erase(device);
    return kOk;
}

int32_t Library::cleanup() {
    if (!started_) {
        return kNotStarted;
    }
    services_.clear();
    devices_.clear();
    boards_.clear();
    lidCount_.reset();
    started_ = false;
    return kOk;
}

} // namespace sim
