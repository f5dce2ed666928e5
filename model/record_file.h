#pragma once
// Reading and writing fixed-size records at computed offsets. Every call opens and closes its
// file; failures leave an error code in the application state and return false (or -1).

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/records.h"

namespace lumo {

// Reads `length` bytes at `offset`. Reading past the end is no error: the whole buffer is then
// zero-filled, which reads as a free slot. Codes: 0x01020000 cannot open, 0x02020000 cannot read.
bool readRecord(const std::string& path, void* buffer, std::size_t length, std::uint64_t offset);

// Writes `length` bytes at `offset`, creating the file when missing and keeping its contents.
// A write cut short (a full disk) is undone: the file is as it was. Writing 0 bytes creates an
// empty file. Only a regular file is written, never through a symbolic link. Codes: 0x01010000
// cannot open, 0x02010000 cannot write (also when closing reports an error).
bool writeRecord(const std::string& path, std::size_t length, const void* buffer, std::uint64_t offset);

template <std::size_t N>
bool readRecord(const std::string& path, ByteImage<N>& image, std::uint64_t offset = 0) {
    return readRecord(path, image.data(), N, offset);
}
template <std::size_t N>
bool writeRecord(const std::string& path, const ByteImage<N>& image, std::uint64_t offset = 0) {
    return writeRecord(path, N, image.data(), offset);
}

// A small file written whole: it is replaced or left as it was (a temporary file beside it takes
// its name). Codes as writeRecord.
bool writeWholeFile(const std::string& path, const void* data, std::size_t length);
template <std::size_t N>
bool writeWholeFile(const std::string& path, const ByteImage<N>& image) {
    return writeWholeFile(path, image.data(), N);
}

// Why a read or a lock of a file failed, told apart after the failure. A missing file is a free
// slot (no line, no modules); a file another program holds locked is busy (the lock has said
// so); anything else that stands there (a folder, a FIFO or a device, a symbolic link, a file
// without permission or whose read failed) is unreadable: an error that names the file, never a
// free slot.
enum class ReadFailure { Missing, Busy, Unreadable };
ReadFailure readFailureOf(const std::string& path);

// Why such a file cannot be used ("je to adresář", "chybí oprávnění", ...), from what stands
// there and the system's last-error value of the failed call.
std::string fileProblemReason(const std::string& path);
// "Soubor PATH nelze přečíst: REASON. "
std::string unreadableFileText(const std::string& path);
// Shows that text under "CHYBA !", with the pending error's code, and discards the error.
void reportUnreadableFile(const std::string& path);

inline std::uint64_t recordOffset(int recordNumber) {
    return static_cast<std::uint64_t>(recordNumber - 1) * kRecordSize;
}

// Whole 260-byte records in the file (created empty when missing); -1 with 0x01020001.
int countRecords(const std::string& path);

// What a predicate is given besides the record: the key, and a counter some predicates fill.
struct FindKey {
    std::uint8_t id = 0;
    std::uint8_t count = 0;
};
// Returns false to stop the walk at this record.
using RecordPredicate = bool (*)(const RecordImage& record, FindKey& key);

bool isUsedSlot(const RecordImage& record, FindKey& key);          // stops at a used record
bool isSwitchedOnWithId(const RecordImage& record, FindKey& key);  // stops at ID == key, switched on
bool countSameId(const RecordImage& record, FindKey& key);         // counts switched-on ID == key

// Walks the file's records from the start until the predicate stops; returns the 1-based number
// of that record and copies it to `out`. At the end: number of records + 1 and `out` zeroed.
// The file is created empty when missing. -1 with 0x01020002 (open) or 0x02020000 (read).
int findRecord(const std::string& path, RecordImage& out, RecordPredicate predicate, FindKey& key);

}  // namespace lumo
