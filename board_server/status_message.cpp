// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "status_message.h"

#include "books_text.h"

namespace {

using proto::Bytes;
using proto::WireReader;

// Longer texts are cut: the books hold only names the hello limits and
// addresses, but the reader's limit is the 2-byte length.
const size_t kMaxTextBytes = 0xFFFF;

void putText(Bytes *out, const std::string &text) {
    const size_t size = text.size() < kMaxTextBytes ? text.size() : kMaxTextBytes;
    proto::putShort(out, static_cast<uint16_t>(size));
    proto::putRun(out, text.data(), size);
}

void putMoment(Bytes *out, WallClock::time_point moment) {
    proto::putLongNumber(out, static_cast<uint64_t>(millisecondsSinceEpoch(moment)));
}

bool readText(WireReader *reader, std::string *text) {
    uint16_t size = 0;
    const uint8_t *start = nullptr;
    if (!reader->shortNumber(&size) || !reader->run(size, &start)) {
        return false;
    }
    text->assign(reinterpret_cast<const char *>(start), size);
    return true;
}

bool readMoment(WireReader *reader, WallClock::time_point *moment) {
    uint64_t milliseconds = 0;
    if (!reader->longNumber(&milliseconds)) {
        return false;
    }
    *moment = momentOf(static_cast<int64_t>(milliseconds));
    return true;
}

bool readHolding(WireReader *reader, HeldService *held) {
    uint32_t handle = 0;
    const bool read = readText(reader, &held->service) && reader->number(&held->lid) &&
                      reader->number(&held->mode) && reader->number(&handle) &&
                      readMoment(reader, &held->since);
    held->handle = static_cast<int32_t>(handle);
    return read;
}

bool readWait(WireReader *reader, WaitedService *waited) {
    return readText(reader, &waited->service) && reader->number(&waited->lid) &&
           reader->number(&waited->mode) && readMoment(reader, &waited->since);
}

// Each entry takes bytes of the body, so a count the body cannot hold ends
// the reading at its end rather than in a large allocation.
template <typename Entry, typename ReadEntry>
bool readList(WireReader *reader, std::vector<Entry> *entries, ReadEntry readEntry) {
    uint16_t count = 0;
    if (!reader->shortNumber(&count)) {
        return false;
    }
    for (uint16_t i = 0; i < count; ++i) {
        Entry entry;
        if (!readEntry(reader, &entry)) {
            return false;
        }
        entries->push_back(entry);
    }
    return true;
}

bool readClient(WireReader *reader, ClientState *client) {
    uint32_t number = 0;
    const bool read = reader->number(&number) && readText(reader, &client->identity.name) &&
                      readText(reader, &client->identity.address) &&
                      readMoment(reader, &client->connected) &&
                      readList(reader, &client->holdings, readHolding) &&
                      readList(reader, &client->waits, readWait);
    client->number = number;
    return read;
}

} // namespace

Bytes statusBody(const ServerStatus &status) {
    Bytes body;
    putMoment(&body, status.now);
    putMoment(&body, status.started);
    putText(&body, status.library);
    body.push_back(status.books.libraryStarted ? 1 : 0);
    std::vector<const ClientState *> listed;
    for (const ClientState &client : status.books.clients) {
        if (!client.identity.internal) {
            listed.push_back(&client);
        }
    }
    proto::putShort(&body, static_cast<uint16_t>(listed.size()));
    for (const ClientState *client : listed) {
        proto::putNumber(&body, client->number);
        putText(&body, client->identity.name);
        putText(&body, client->identity.address);
        putMoment(&body, client->connected);
        proto::putShort(&body, static_cast<uint16_t>(client->holdings.size()));
        for (const HeldService &held : client->holdings) {
            putText(&body, held.service);
            proto::putNumber(&body, held.lid);
            proto::putNumber(&body, held.mode);
            proto::putNumber(&body, static_cast<uint32_t>(held.handle));
            putMoment(&body, held.since);
        }
        proto::putShort(&body, static_cast<uint16_t>(client->waits.size()));
        for (const WaitedService &waited : client->waits) {
            putText(&body, waited.service);
            proto::putNumber(&body, waited.lid);
            proto::putNumber(&body, waited.mode);
            putMoment(&body, waited.since);
        }
    }
    return body;
}

bool readStatus(const Bytes &body, ServerStatus *status, std::string *problem) {
    WireReader reader(body);
    uint8_t started = 0;
    *status = ServerStatus();
    if (!readMoment(&reader, &status->now) || !readMoment(&reader, &status->started) ||
        !readText(&reader, &status->library) || !reader.byte(&started) || started > 1 ||
        !readList(&reader, &status->books.clients, readClient) || !reader.finished()) {
        *problem = "a malformed status";
        return false;
    }
    status->books.libraryStarted = started == 1;
    return true;
}
