// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The protocol's numbers and runs of bytes, read and written: shared by the
// messages here and by those the server composes of its own books.
#ifndef BOARD_PROTOCOL_WIRE_BYTES_H
#define BOARD_PROTOCOL_WIRE_BYTES_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

namespace proto {

typedef std::vector<uint8_t> Bytes;

// Takes little-endian numbers and byte runs from a body, refusing to read
// past its end.
class WireReader {
public:
    explicit WireReader(const Bytes &body) : data_(body.data()), left_(body.size()) {}

    bool number(uint32_t *value) {
        if (left_ < 4) {
            return false;
        }
        *value = static_cast<uint32_t>(data_[0]) | static_cast<uint32_t>(data_[1]) << 8 |
                 static_cast<uint32_t>(data_[2]) << 16 | static_cast<uint32_t>(data_[3]) << 24;
        skip(4);
        return true;
    }
    bool shortNumber(uint16_t *value) {
        if (left_ < 2) {
            return false;
        }
        *value = static_cast<uint16_t>(data_[0] | data_[1] << 8);
        skip(2);
        return true;
    }
    bool byte(uint8_t *value) {
        if (left_ < 1) {
            return false;
        }
        *value = data_[0];
        skip(1);
        return true;
    }
    bool run(size_t size, const uint8_t **start) {
        if (left_ < size) {
            return false;
        }
        *start = data_;
        skip(size);
        return true;
    }
    bool longNumber(uint64_t *value) {
        uint32_t low = 0;
        uint32_t high = 0;
        if (left_ < 8 || !number(&low) || !number(&high)) {
            return false;
        }
        *value = static_cast<uint64_t>(high) << 32 | low;
        return true;
    }
    bool finished() const { return left_ == 0; }

private:
    void skip(size_t size) {
        data_ += size;
        left_ -= size;
    }
    const uint8_t *data_;
    size_t left_;
};

inline void putNumber(Bytes *out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out->push_back(static_cast<uint8_t>(value >> shift));
    }
}

inline void putShort(Bytes *out, uint16_t value) {
    out->push_back(static_cast<uint8_t>(value));
    out->push_back(static_cast<uint8_t>(value >> 8));
}

inline void putLongNumber(Bytes *out, uint64_t value) {
    putNumber(out, static_cast<uint32_t>(value));
    putNumber(out, static_cast<uint32_t>(value >> 32));
}

inline void putRun(Bytes *out, const void *data, size_t size) {
    const uint8_t *bytes = static_cast<const uint8_t *>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace proto

#endif
