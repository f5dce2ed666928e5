// Firmware images without a device: the S-record check, and the messages of both downloads in
// the loaders' order.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "service/firmware_image.h"
#include "support/srecord_builder.h"

namespace lumo {
namespace {

std::string srecord(int type, std::uint32_t address, const std::vector<std::uint8_t>& data) {
    return test::srecordLine(type, address, data);
}

std::vector<std::uint8_t> bytes(std::size_t n, std::uint8_t first = 0) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(first + i);
    return v;
}

// The messages a download sends when the loader acknowledges all of them.
std::vector<TunnelMessage> plan(const std::string& text, TunnelOutcome* outcome = nullptr) {
    std::vector<SRecord> records;
    EXPECT_FALSE(readSRecords(text, records));
    std::vector<TunnelMessage> sent;
    const TunnelOutcome o = runTunnelDownload(text, records, [&sent](const TunnelMessage& m, std::uint8_t answer[2]) {
        sent.push_back(m);
        answer[0] = 'K';
        answer[1] = 'O';
        return Exchange::Acknowledged;
    });
    if (outcome) *outcome = o;
    return sent;
}

std::string channels(const std::vector<TunnelMessage>& messages) {
    std::string s;
    for (const auto& m : messages) s += static_cast<char>('0' + m.channel);
    return s;
}

TEST(FirmwareImage, MalformedSRecordFilesAreRefusedWithTheirLine) {
    const std::string good = srecord(1, 0x100, bytes(16));
    std::string longLine = "S1" + std::string(110, '0');
    const struct {
        std::string text;
        int line;
        const char* fault;
    } cases[] = {
        {"S00600004844521B\n" + good.substr(0, good.size() - 2) + "00\n", 2, "kontrolní součet záznamu 00, vypočteno"},
        {good + "\n" + "S1130000G0" + good.substr(10) + "\n", 2, "znak 'G' ve sloupci 9 není šestnáctková číslice"},
        {good + "\r\n\r\n" + "S1FF0000" + good.substr(8) + "\r\n", 3, "počet bajtů ff neodpovídá řádku"},
        {good + "\n" + good.substr(0, good.size() - 1) + "\n", 2, "neodpovídá řádku (následuje 18 bajtů a půl)"},
        {good + "\n" + longLine + "\n", 2, "řádek má 112 znaků, zavaděč jich pojme 104"},
        {"S00600004844521B\nS9030000FC\n", 0, "žádný datový záznam"},
        {good + "\n:10010000214601360121470136007EFE09D2190140\n", 2, "není S-záznam"},
        {good + "\nS1020001\n", 2, "nestačí na adresu"},
        {"", 0, "žádný datový záznam"},
        {good + "\nS1\x01\xFF\n", 2, "znak '\\x01' ve sloupci 3"},
    };
    for (const auto& c : cases) {
        std::vector<SRecord> records;
        const auto fault = readSRecords(c.text, records);
        ASSERT_TRUE(fault) << c.text;
        EXPECT_EQ(fault->lineNumber, c.line) << c.text;
        EXPECT_NE(faultText(*fault).find(c.fault), std::string::npos) << faultText(*fault) << " | " << c.fault;
    }
    std::vector<SRecord> records;
    EXPECT_FALSE(readSRecords(srecord(2, 0x123456, bytes(3)) + "\n" + srecord(3, 0x12345678, bytes(4)), records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].address, 0x123456u);
    EXPECT_EQ(records[1].address, 0x12345678u);
    EXPECT_EQ(records[1].lineNumber, 2);
}

TEST(FirmwareImage, DataPairsSwappedAndOddCountsCompletedWithTheChecksum) {
    std::vector<SRecord> records;
    ASSERT_FALSE(readSRecords(srecord(1, 0, {0x11, 0x22, 0x33, 0x44}) + "\n" + srecord(1, 4, {0xAA, 0xBB, 0xCC}), records));
    EXPECT_EQ(records[0].sentBytes(), (std::vector<std::uint8_t>{0x22, 0x11, 0x44, 0x33}));
    EXPECT_EQ(records[1].sentBytes(), (std::vector<std::uint8_t>{0xBB, 0xAA, records[1].checksum, 0xCC}));
    EXPECT_EQ(blockAddressBytes(0x0000), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(blockAddressBytes(0x1234), (std::vector<std::uint8_t>{0, 0, 0x34, 0x12}));
    EXPECT_EQ(blockAddressBytes(0x12345678), (std::vector<std::uint8_t>{0x34, 0x12, 0x78, 0x56}));
}

TEST(FirmwareImage, TunnelBlocksCloseAfterMoreThan112Bytes) {
    std::string text;
    for (int r = 0; r < 10; ++r) text += srecord(1, static_cast<std::uint32_t>(0x1000 + 16 * r), bytes(16)) + "\n";
    TunnelOutcome outcome;
    const auto sent = plan(text, &outcome);
    // Erase, open, eight records, close; open, two records, close; start.
    EXPECT_EQ(channels(sent), "4122222222312235");
    EXPECT_EQ(sent[1].bytes, (std::vector<std::uint8_t>{0xFF, 0x00}));  // the erase message's bytes
    EXPECT_EQ(sent[10].bytes, (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x10}));
    EXPECT_EQ(sent[11].bytes, (std::vector<std::uint8_t>{'K', 'O'}));  // the last acknowledgement
    EXPECT_EQ(sent[14].bytes, (std::vector<std::uint8_t>{0x00, 0x00, 0x80, 0x10}));
    EXPECT_EQ(sent[15].bytes, (std::vector<std::uint8_t>{'A'}));
    EXPECT_EQ(outcome.blocks, 2);
    EXPECT_EQ(outcome.result, Exchange::Acknowledged);
}

TEST(FirmwareImage, TunnelEdgesOfTheFile) {
    const std::string r0 = srecord(1, 0x0000, bytes(16)), r1 = srecord(1, 0x0010, bytes(3, 0x40));
    // A last line without its line end is sent like any other.
    auto sent = plan(r0 + "\n" + r1);
    EXPECT_EQ(channels(sent), "412235");
    EXPECT_EQ(sent[3].bytes.size(), 4u);  // the odd count rounded up with the checksum byte
    EXPECT_EQ(sent[4].bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));  // an S1 block at 0000
    // Lines after the last block's close (a start record, CR LF ends): the loader gets another
    // open before the start, as the protocol runs over the file's characters.
    std::string full;
    for (int r = 0; r < 8; ++r) full += srecord(1, static_cast<std::uint32_t>(16 * r), bytes(16)) + "\r\n";
    sent = plan("S00600004844521B\r\n" + full + "S9030000FC\r\n");
    EXPECT_EQ(channels(sent), "41222222223" "15");
    // The file ends with the last record's CR: nothing follows the close, so no open either.
    sent = plan(full.substr(0, full.size() - 1));
    EXPECT_EQ(channels(sent), "41222222223" "5");
}

TEST(FirmwareImage, TunnelBlocksFollowTheAddresses) {
    // The loader writes a block from its address on: a gap in the addresses closes the block
    // before the next record.
    auto sent = plan(srecord(1, 0x0000, bytes(16)) + "\n" + srecord(1, 0xFFC0, bytes(16)) + "\n");
    EXPECT_EQ(channels(sent), "41231235");
    EXPECT_EQ(sent[3].bytes, blockAddressBytes(0x0000));
    EXPECT_EQ(sent[6].bytes, blockAddressBytes(0xFFC0));
    // Contiguous even records stay in one block.
    EXPECT_EQ(channels(plan(srecord(1, 0, bytes(16)) + "\n" + srecord(1, 16, bytes(16)) + "\n")), "4122" "35");
    // A data record without data is no data: such a file is refused.
    std::vector<SRecord> records;
    const auto fault = readSRecords("S1030000FC\nS9030000FC\n", records);
    ASSERT_TRUE(fault);
    EXPECT_NE(faultText(*fault).find("žádný datový záznam"), std::string::npos);
}

// The tunnel loader as the flash sees it: a block's data messages, pairs swapped back, written
// from the block's address when the block is closed. An address written twice is a fault (flash
// that cannot be programmed twice).
struct FlashModel {
    std::map<std::uint32_t, std::uint8_t> flash;
    std::vector<std::uint8_t> block;
    std::string fault;
    void take(const TunnelMessage& m) {
        if (m.channel == 1) block.clear();
        if (m.channel == 2) {
            for (std::size_t i = 0; i + 1 < m.bytes.size(); i += 2) {
                block.push_back(m.bytes[i + 1]);
                block.push_back(m.bytes[i]);
            }
        }
        if (m.channel == 3) {
            const std::uint32_t address = static_cast<std::uint32_t>(m.bytes[2] | m.bytes[3] << 8) |
                                          static_cast<std::uint32_t>(m.bytes[0] | m.bytes[1] << 8) << 16;
            for (std::size_t i = 0; i < block.size(); ++i) {
                if (!flash.emplace(address + static_cast<std::uint32_t>(i), block[i]).second && fault.empty())
                    fault = "second write at " + std::to_string(address + i);
            }
            block.clear();
        }
    }
};

TEST(FirmwareImage, EveryByteOfTheFileIsWrittenOnceAtItsAddress) {
    struct Record {
        int type;
        std::uint32_t address;
        std::size_t count;
    };
    const struct {
        const char* layout;
        std::vector<Record> records;
    } cases[] = {
        {"in order, even", {{1, 0x100, 16}, {1, 0x110, 16}, {1, 0x120, 8}}},
        {"in order, odd counts", {{1, 0x100, 15}, {1, 0x10F, 16}, {1, 0x11F, 3}}},
        {"shuffled, odd counts", {{1, 0x10F, 16}, {1, 0x100, 15}, {1, 0x11F, 3}}},
        {"shuffled, even", {{1, 0x120, 16}, {1, 0x100, 16}, {1, 0x110, 16}}},
        {"gaps and odd counts", {{1, 0x200, 7}, {1, 0x100, 5}, {1, 0x105, 6}, {1, 0x300, 1}}},
        {"S2 shuffled", {{2, 0x010010, 13}, {2, 0x010000, 16}, {2, 0x01001D, 20}}},
        {"S3 odd at the top", {{3, 0x20000000, 9}, {3, 0x20000009, 9}}},
        {"many small", {{1, 0x006, 2}, {1, 0x000, 3}, {1, 0x003, 3}, {1, 0x008, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        std::string text = "S00600004844521B\r\n";
        std::map<std::uint32_t, std::uint8_t> expected;
        std::uint8_t next = 0x30;
        for (const Record& r : c.records) {
            std::vector<std::uint8_t> data(r.count);
            for (std::size_t i = 0; i < r.count; ++i) expected[r.address + static_cast<std::uint32_t>(i)] = data[i] = next++;
            text += srecord(r.type, r.address, data) + "\r\n";
        }
        FlashModel loader;
        for (const TunnelMessage& m : plan(text + "S9030000FC\r\n")) loader.take(m);
        EXPECT_EQ(loader.fault, "");
        for (const auto& [address, value] : loader.flash) {
            const auto want = expected.find(address);
            if (want == expected.end()) EXPECT_EQ(value, 0xFF) << "at " << address << ": only erased flash pads a run";
            else EXPECT_EQ(value, want->second) << "at " << address;
        }
        for (const auto& [address, value] : expected) EXPECT_TRUE(loader.flash.count(address)) << "missing " << address;
    }
    // A file in address order without gaps, all of even length, goes as the file has it: one
    // message per record.
    std::string inOrder;
    for (int r = 0; r < 3; ++r) inOrder += srecord(1, static_cast<std::uint32_t>(0x100 + 16 * r), bytes(16)) + "\n";
    EXPECT_EQ(channels(plan(inOrder)), "41222" "35");
}

TEST(FirmwareImage, OverlappingRecordsAreRefusedNamingTheirLines) {
    std::vector<SRecord> records;
    const auto fault = readSRecords(srecord(1, 0x100, bytes(16)) + "\n" + srecord(1, 0x200, bytes(4)) + "\n" +
                                        srecord(1, 0x10F, bytes(2)) + "\n",
                                    records);
    ASSERT_TRUE(fault);
    EXPECT_EQ(faultText(*fault), "záznamy na řádcích 1 a 3 se překrývají (adresa 010f)");
}

TEST(FirmwareImage, TrailingBlanksAndADosEndOfFileMarkAreNoRecords) {
    const std::string r0 = srecord(1, 0x0000, bytes(16)), r1 = srecord(1, 0x0010, bytes(16));
    for (const std::string& text : {r0 + " \r\n" + r1 + "\t\r\n\x1A", r0 + "\r\n" + r1 + "\r\n\x1A\x1A\r\n",
                                    r0 + "  \n" + r1 + "\x1A"}) {
        std::vector<SRecord> records;
        ASSERT_FALSE(readSRecords(text, records)) << text;
        EXPECT_EQ(records.size(), 2u);
        EXPECT_EQ(channels(plan(text)), "4122" "35") << text;
    }
    // A mark or a blank inside a record, or records after a mark, stay faults.
    for (const std::string& text : {r0 + "\n\x1A" + r1 + "\n", r0.substr(0, 10) + " " + r0.substr(10) + "\n"}) {
        std::vector<SRecord> records;
        EXPECT_TRUE(readSRecords(text, records)) << text;
    }
}

TEST(FirmwareImage, TunnelFailuresNameTheirMessage) {
    std::vector<SRecord> records;
    const std::string text = srecord(1, 0, bytes(16)) + "\n";
    ASSERT_FALSE(readSRecords(text, records));
    for (const auto& [at, result] : {std::pair{0, Exchange::NoAnswer}, std::pair{2, Exchange::Refused},
                                     std::pair{3, Exchange::SendFailed}, std::pair{1, Exchange::Cancelled}}) {
        int n = 0;
        const TunnelOutcome o = runTunnelDownload(text, records, [&](const TunnelMessage&, std::uint8_t answer[2]) {
            answer[0] = 'K';
            answer[1] = 'O';
            return n++ == at ? result : Exchange::Acknowledged;
        });
        EXPECT_EQ(o.result, result);
        EXPECT_EQ(o.failedChannel, std::vector<int>({4, 1, 2, 3})[static_cast<std::size_t>(at)]);
        EXPECT_EQ(o.messages, at + 1);
    }
}

std::string offsets(const std::vector<SegmentMessage>& messages) {
    std::string s;
    char text[16];
    for (const auto& m : messages) {
        std::snprintf(text, sizeof text, "%s%zx", m.opensSegment ? "*" : "", m.offset);
        s += (s.empty() ? "" : " ") + std::string(text);
    }
    return s;
}

TEST(FirmwareImage, SegmentOrderAcrossTheSegments) {
    // 0x4000 bytes: fs0 even blocks, then fs0 odd blocks.
    auto m = segmentMessages(bytes(0x4000), false);
    ASSERT_EQ(m.size(), 256u);
    EXPECT_EQ(m[0].offset, 0u);
    EXPECT_EQ(m[127].offset, 0x3F80u);
    EXPECT_EQ(m[128].offset, 0x40u);
    EXPECT_EQ(m[255].offset, 0x3FC0u);
    // 0x8000 bytes: then fs1 odd blocks (the first carries fs1's checksum), then fs1 even blocks.
    m = segmentMessages(bytes(0x8000), false);
    ASSERT_EQ(m.size(), 512u);
    EXPECT_EQ(m[256].offset, 0x4040u);
    EXPECT_TRUE(m[256].opensSegment);
    EXPECT_EQ(m[384].offset, 0x4000u);
    EXPECT_FALSE(m[384].opensSegment);
    // 64 KB: every block once, each segment's checksum on its first block sent.
    m = segmentMessages(bytes(0x10000), false);
    ASSERT_EQ(m.size(), 1024u);
    std::vector<int> seen(1024);
    std::string opened;
    for (const auto& x : m) {
        ++seen[x.offset / 64];
        if (x.opensSegment) opened += offsets({x}) + " ";
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 1024);
    EXPECT_EQ(opened, "*0 *4040 *8000 *c040 ");
    // Sizes where a pass ends at the image's end: every byte still goes once, and every segment
    // the image reaches gets its checksum once. (Just over 0x4000 and 0xC000 the odd pass used to
    // run past the end before the new segment's only block.)
    for (std::size_t size : {0x3FFFu, 0x4001u, 0x4023u, 0x4040u, 0x4041u, 0x8001u, 0x8040u, 0x8041u, 0xC001u, 0xC023u,
                             0xC040u, 0xC041u, 0xFFFFu}) {
        std::vector<int> sent(size);
        int checksums = 0;
        for (const auto& x : segmentMessages(bytes(size), false)) {
            for (std::size_t i = x.offset; i < x.offset + x.length; ++i) ++sent[i];
            checksums += x.opensSegment;
        }
        EXPECT_EQ(std::count(sent.begin(), sent.end(), 1), static_cast<long>(size)) << std::hex << size;
        EXPECT_EQ(checksums, static_cast<int>((size + 0x3FFF) / 0x4000)) << std::hex << size;
    }
    // Shorter than 64 bytes: one block; 100 bytes: two.
    EXPECT_EQ(offsets(segmentMessages(bytes(40), false)), "*0");
    EXPECT_EQ(offsets(segmentMessages(bytes(100), false)), "*0 40");
}

TEST(FirmwareImage, SegmentMessageTexts) {
    const std::vector<std::uint8_t> image = {0xAB, 0x01};
    auto m = segmentMessages(image, false);
    ASSERT_EQ(m.size(), 1u);
    // 'A'+'B' + '0'+'1' = 65+66+48+49 = 228 = 0x00e4.
    std::string expected = "WRfs0|F|0yyyyy00|00e4|0000|AB01|";
    unsigned sum = 0;
    for (char c : expected) sum += static_cast<unsigned char>(c);
    char check[4];
    std::snprintf(check, sizeof check, "%02X", sum & 0xFF);
    EXPECT_EQ(m[0].text, expected + check + std::string("\x04\x00", 2));
    EXPECT_EQ(segmentChecksum(image, 0), 0xE4);
    // High: addresses below 0x8000 go 0x8000 higher; fs2 and fs3 heads.
    m = segmentMessages(bytes(0xC100), true);
    EXPECT_EQ(m[0].text.substr(0, 27), "WRfs0|F|0yyyyy00|" + std::string(4, '0').replace(0, 4, m[0].text.substr(17, 4)) + "|8000|");
    const auto fs2 = std::find_if(m.begin(), m.end(), [](const SegmentMessage& x) { return x.offset == 0x8000; });
    const auto fs3 = std::find_if(m.begin(), m.end(), [](const SegmentMessage& x) { return x.offset == 0xC040; });
    ASSERT_NE(fs2, m.end());
    ASSERT_NE(fs3, m.end());
    EXPECT_EQ(fs2->text.substr(0, 17), "WRfs2|F|yyyyyy01|");
    EXPECT_EQ(fs2->text.substr(22, 5), "8000|");  // after fs2's checksum; no 0x8000 added above
    EXPECT_EQ(fs3->text.substr(0, 17), "WRfs3|F|yyyyyy01|");
    EXPECT_EQ(segmentEndMessage(), std::string("WRXXX|2D\x04\x00", 10));
    EXPECT_TRUE(checkSegmentImage(0x10001));
    EXPECT_TRUE(checkSegmentImage(0));
    EXPECT_FALSE(checkSegmentImage(0x10000));
}

}  // namespace
}  // namespace lumo
