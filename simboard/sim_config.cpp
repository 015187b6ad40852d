// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "sim_config.h"

#include <set>
#include <sstream>

#include "setting_values.h"
#include "sim_status.h"

namespace sim {

namespace {

std::string unquoted(const std::string &text) {
    if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0]) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// A 32-bit word given as a signed or unsigned number in any C base.
uint32_t parseWord(int line, const std::string &text) {
    const std::string value = trimmed(text);
    long long number = 0;
    if (!readInteger(value, &number)) {
        throw ConfigError(line, "'" + value + "' is not a number");
    }
    if (number < -2147483648LL || number > 4294967295LL) {
        throw ConfigError(line, "'" + value + "' does not fit 32 bits");
    }
    return static_cast<uint32_t>(number);
}

int32_t parseStatus(int line, const std::string &text) {
    return static_cast<int32_t>(parseWord(line, text));
}

// One of names (any case, white space around it dropped); throws `problem`.
size_t parseChoice(int line, const std::string &text, const char *const *names, size_t count,
                   const std::string &problem) {
    size_t index = 0;
    if (!readChoice(trimmed(text), names, count, &index)) {
        throw ConfigError(line, problem);
    }
    return index;
}

bool parseYesNo(int line, const std::string &text) {
    static const char *const kNames[] = {"no", "yes", "false", "true", "0", "1"};
    return parseChoice(line, text, kNames, 6, "'" + text + "' is neither yes nor no") % 2 == 1;
}

bool parseFails(int line, const std::string &key, const std::string &text) {
    static const char *const kNames[] = {"ok", "fail"};
    return parseChoice(line, text, kNames, 2, key + " is ok or fail") == 1;
}

uint32_t parseMode(int line, const std::string &text) {
    static const char *const kNames[] = {"exclusive", "shared", "spy"}; // modes 0, 1, 2
    size_t mode = 0;
    if (readChoice(trimmed(text), kNames, 3, &mode)) {
        return static_cast<uint32_t>(mode);
    }
    return parseWord(line, text); // any other number, for hostile boards
}

// Names are C strings to the programs: one with a NUL byte would be listed
// cut short and could not be captured by what was listed.
std::string parseName(int line, const std::string &key, const std::string &value) {
    if (value.find('\0') != std::string::npos) {
        throw ConfigError(line, key + " holds a NUL byte");
    }
    return value;
}

enum class SectionKind { none, library, board, unit, service };

struct Section {
    SectionKind kind = SectionKind::none;
    uint32_t lid = 0;
    uint32_t index = 0;
    std::string title;
};

// Reads "board N", "board N unit K" or "board N service K".
Section parseSectionTitle(int line, const std::string &title) {
    Section section;
    section.title = title;
    std::istringstream words(title);
    std::vector<std::string> parts;
    std::string word;
    while (words >> word) {
        parts.push_back(word);
    }
    if (parts.size() == 1 && lowered(parts[0]) == "library") {
        section.kind = SectionKind::library;
        return section;
    }
    if ((parts.size() == 2 || parts.size() == 4) && lowered(parts[0]) == "board") {
        section.lid = parseWord(line, parts[1]);
        if (parts.size() == 2) {
            section.kind = SectionKind::board;
            return section;
        }
        section.index = parseWord(line, parts[3]);
        if (lowered(parts[2]) == "unit") {
            section.kind = SectionKind::unit;
            return section;
        }
        if (lowered(parts[2]) == "service") {
            section.kind = SectionKind::service;
            return section;
        }
    }
    throw ConfigError(line, "unknown section [" + title +
                                "] (expected [library], [board N], [board N unit K] or "
                                "[board N service K])");
}

struct BoardDraft {
    BoardConfig board;
    int line = 0; // of its section
    std::map<uint32_t, UnitConfig> units;
    std::map<uint32_t, ServiceConfig> services;
    std::map<uint32_t, int> unitLines; // unit number -> line of its section
    std::map<uint32_t, int> serviceLines;
};

// A section that gives a number already given, written another way
// ("[board 01]" after "[board 1]").
[[noreturn]] void givenTwice(int line, const std::string &title, int firstLine) {
    throw ConfigError(line, "section [" + title +
                                "] gives the same number as the section on line " +
                                std::to_string(firstLine));
}

// Records the line of a unit's or service's section; refuses a number given twice.
void claimNumber(std::map<uint32_t, int> *lines, uint32_t number, int line,
                 const std::string &title) {
    const auto first = lines->emplace(number, line);
    if (!first.second) {
        givenTwice(line, title, first.first->second);
    }
}

class Parser {
public:
    LibraryConfig run(const std::string &text) {
        std::istringstream lines(text);
        std::string raw;
        int line = 0;
        while (std::getline(lines, raw)) {
            ++line;
            if (line == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
                raw.erase(0, 3);
            }
            const std::string content = trimmed(raw);
            if (content.empty() || content[0] == ';' || content[0] == '#') {
                continue;
            }
            if (content[0] == '[') {
                if (content.back() != ']') {
                    throw ConfigError(line, "section line without a closing ']'");
                }
                openSection(line, trimmed(content.substr(1, content.size() - 2)));
                continue;
            }
            const size_t equals = content.find('=');
            if (equals == std::string::npos) {
                throw ConfigError(line, "expected 'key = value' or '[section]'");
            }
            const std::string key = lowered(trimmed(content.substr(0, equals)));
            const std::string value = unquoted(trimmed(content.substr(equals + 1)));
            if (key.empty()) {
                throw ConfigError(line, "a value without a key");
            }
            setValue(line, key, value);
        }
        LibraryConfig result = library_;
        for (const uint32_t lid : order_) {
            BoardDraft &draft = drafts_[lid];
            for (auto &unit : draft.units) {
                draft.board.units.push_back(unit.second);
            }
            for (auto &service : draft.services) {
                draft.board.services.push_back(service.second);
            }
            result.boards.push_back(draft.board);
        }
        return result;
    }

private:
    void openSection(int line, const std::string &title) {
        current_ = parseSectionTitle(line, title);
        const std::string key = lowered(title);
        if (!seen_.insert(key).second) {
            throw ConfigError(line, "section [" + title + "] appears twice");
        }
        if (current_.kind == SectionKind::board) {
            const auto found = drafts_.find(current_.lid);
            if (found != drafts_.end()) {
                givenTwice(line, title, found->second.line);
            }
            BoardDraft &draft = drafts_[current_.lid];
            draft.board.lid = current_.lid;
            draft.line = line;
            order_.push_back(current_.lid);
            return;
        }
        if (current_.kind == SectionKind::unit || current_.kind == SectionKind::service) {
            if (drafts_.find(current_.lid) == drafts_.end()) {
                throw ConfigError(line, "section [" + title + "] comes before its [board " +
                                            std::to_string(current_.lid) + "]");
            }
            BoardDraft &draft = drafts_[current_.lid];
            if (current_.kind == SectionKind::service) {
                claimNumber(&draft.serviceLines, current_.index, line, title);
                draft.services[current_.index].line = line;
            } else {
                claimNumber(&draft.unitLines, current_.index, line, title);
                draft.units[current_.index];
            }
        }
    }

    [[noreturn]] void unknownKey(int line, const std::string &key) {
        throw ConfigError(line, "unknown key '" + key + "' in [" + current_.title + "]");
    }

    void setValue(int line, const std::string &key, const std::string &value) {
        switch (current_.kind) {
        case SectionKind::none:
            throw ConfigError(line, "key '" + key + "' before any section");
        case SectionKind::library:
            setLibraryValue(line, key, value);
            return;
        case SectionKind::board:
            setBoardValue(line, key, value, &drafts_[current_.lid].board);
            return;
        case SectionKind::unit:
            setUnitValue(line, key, value, &drafts_[current_.lid].units[current_.index]);
            return;
        case SectionKind::service:
            setServiceValue(line, key, value, &drafts_[current_.lid].services[current_.index]);
            return;
        }
    }

    void setLibraryValue(int line, const std::string &key, const std::string &value) {
        if (key == "init_status") {
            library_.initStatus = parseStatus(line, value);
        } else if (key == "lid_count") {
            library_.lidCount = parseWord(line, value);
        } else {
            unknownKey(line, key);
        }
    }

    void setBoardValue(int line, const std::string &key, const std::string &value,
                       BoardConfig *board) {
        if (key == "name") {
            board->name = parseName(line, key, value);
        } else if (key == "name_terminated") {
            board->nameTerminated = parseYesNo(line, value);
        } else if (key == "device_id") {
            board->boardType = (board->boardType & 0xFFFFu) | (parseWord(line, value) << 16);
        } else if (key == "revision_id") {
            board->boardType = (board->boardType & 0xFFFFFF00u) | (parseWord(line, value) & 0xFFu);
        } else if (key == "board_type") {
            board->boardType = parseWord(line, value);
        } else if (key == "pid") {
            board->pid = parseWord(line, value);
        } else if (key == "bus") {
            board->bus = parseWord(line, value);
        } else if (key == "device_number") {
            board->deviceNumber = parseWord(line, value);
        } else if (key == "slot") {
            board->slot = parseWord(line, value);
        } else if (key == "info") {
            static const char *const kNames[] = {"writes", "nothing", "fails"}; // InfoBehaviour
            board->info = static_cast<InfoBehaviour>(
                parseChoice(line, value, kNames, 3, "info is one of writes, nothing, fails"));
        } else if (key == "open") {
            board->openFails = parseFails(line, key, value);
        } else if (key == "open_status") {
            board->openStatus = parseStatus(line, value);
        } else if (key == "open_mode") {
            board->openMode = parseMode(line, value);
        } else if (key == "open_handle") {
            board->openHandle = parseStatus(line, value);
        } else if (key == "unit_count") {
            board->unitCount = parseWord(line, value);
        } else if (key == "unit_list_status") {
            board->unitListStatus = parseStatus(line, value);
        } else if (key == "unit_list_filled") {
            board->unitListFilledOnFailure = parseYesNo(line, value);
        } else if (key == "service_count") {
            board->serviceCount = parseWord(line, value);
        } else {
            unknownKey(line, key);
        }
    }

    void setUnitValue(int line, const std::string &key, const std::string &value,
                      UnitConfig *unit) {
        if (key == "id") {
            unit->id = parseWord(line, value);
        } else if (key == "code") {
            unit->code = parseWord(line, value);
        } else if (key == "attributes") {
            unit->attributes = parseWord(line, value);
        } else if (key == "description") {
            unit->description = parseName(line, key, value);
        } else if (key == "description_terminated") {
            unit->descriptionTerminated = parseYesNo(line, value);
        } else if (key == "loaded") {
            unit->state = parseYesNo(line, value) ? 1u : 0u;
        } else if (key == "state") {
            unit->state = parseWord(line, value);
        } else {
            unknownKey(line, key);
        }
    }

    void setServiceValue(int line, const std::string &key, const std::string &value,
                         ServiceConfig *service) {
        if (key == "name") {
            service->name = parseName(line, key, value);
        } else if (key == "name_terminated") {
            service->nameTerminated = parseYesNo(line, value);
        } else if (key == "attributes") {
            service->attributes = parseWord(line, value);
        } else if (key == "capture") {
            service->captureFails = parseFails(line, key, value);
        } else if (key == "capture_status") {
            service->captureStatus = parseStatus(line, value);
        } else if (key == "granted_mode") {
            service->grantedMode = parseMode(line, value);
        } else if (key == "capture_handle") {
            service->captureHandle = parseStatus(line, value);
        } else if (key.compare(0, 5, "ctrl ") == 0) {
            service->faults.controlStatus[parseWord(line, key.substr(5))] =
                parseStatus(line, value);
        } else if (key.compare(0, 7, "writes ") == 0) {
            RecordWrites writes = RecordWrites::always;
            if (!readRecordWrites(value, &writes)) {
                throw ConfigError(line, "writes is one of always, first, never");
            }
            service->faults.recordWrites[parseWord(line, key.substr(7))] = writes;
        } else {
            // Anything else belongs to the service's model, checked at start.
            service->modelSettings.push_back(ModelSetting{key, value, line});
        }
    }

    LibraryConfig library_;
    std::map<uint32_t, BoardDraft> drafts_;
    std::vector<uint32_t> order_;
    std::set<std::string> seen_;
    Section current_;
};

} // namespace

LibraryConfig parseConfiguration(const std::string &text) { return Parser().run(text); }

} // namespace sim
