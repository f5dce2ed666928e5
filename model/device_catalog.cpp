#include "model/device_catalog.h"

#include <algorithm>

namespace lumo {
namespace {

const std::array<std::string, 32> kModelNames = {
    "obecná linka", "TQ300TCP", "HZ128", "LOQ3", "TQ300", "SY128", "OX8", "TQ310",
    "ZB40", "ZB20", "MN600/MN700", "WI485", "WO485", "DV3x", "JC500", "VEN12",
    "YDV3x", "LOQ4", "QH-J01", "QV-NW20", "QV-MTR4", "PX700/ZB40E", "QV-MTR3", "QV-MTR4 (future)",
    "obecná linka", "TCP linka", "USB linka", "DV3x", "YDV3x", "WO485 - USB/RS485 converter",
    "DV3/DV3B/DV3M - desk reader", "YDV3/YDV3B/YDV3M - USB reader",
};

// Entries 23-31 are not used by any code; they stay empty.
const std::array<std::string, 32> kKindNames = {
    "komunikační linka (COM, TCP)",
    "docházkový terminál",
    "docházkový terminál",
    "vstupní terminál",
    "docházkový terminál",
    "výrobní terminál",
    "docházkový terminál",
    "stravovací terminál",
    "přístupová jednotka",
    "přístupová jednotka",
    "docházkový terminál",
    "převodník TCP<->RS485, RS232",
    "převodník USB<->RS485, RS232",
    "USB personifikátor",
    "docházkový terminál",
    "napájecí zdroj",
    "USB čtečka",
    "řídící jednotka TESK",
    "dveřní sběrnicová jednotka",
    "sběrnicová čtečka",
    "řídící jednotka",
    "sběrnicová čtečka",
    "sběrnicová čtečka",
};

constexpr CodeList makeList(std::initializer_list<DeviceTypeCode> codes) {
    CodeList list{};
    std::size_t i = 0;
    for (auto c : codes) list[i++] = c;
    return list;
}

// Table index of a code: codes of 48 and more share one entry per group of eight.
std::size_t modelIndex(DeviceTypeCode code) { return code <= 47 ? code : 12u + (code >> 3); }
std::size_t kindIndex(DeviceTypeCode code) { return code <= 47 ? code : 11u + (code >> 3); }

const std::string kEmpty;

}  // namespace

const CodeList LineHeadTypes = makeList({0, 11, 12, 13, 16});
const CodeList NetworkDeviceTypes = makeList({1, 10, 11, 14});
const CodeList IcmpServiceTypes = makeList({1, 4, 10, 11, 14});
const CodeList DownloadTypes = makeList({1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 14, 48});
const CodeList HighSegmentTypes = makeList({6, 8});
const CodeList FlashDownloadTypes = makeList({10, 11, 14, 48, 72});
const CodeList UsbBridgeTypes = makeList({12, 13, 16});
const CodeList HardwareVersionTypes = makeList({4, 7});
const CodeList RemoteRestartTypes = makeList({10, 14, 72});
const CodeList NoMemoryUploadTypes = makeList({3, 17, 72});
const CodeList NoMemoryWriteTypes = makeList({3, 17});

const std::string& modelName(DeviceTypeCode code) {
    const std::size_t i = modelIndex(code);
    return i < kModelNames.size() ? kModelNames[i] : kEmpty;
}

const std::string& kindName(DeviceTypeCode code) {
    const std::size_t i = kindIndex(code);
    return i < kKindNames.size() ? kKindNames[i] : kEmpty;
}

const std::string& lineHeadName(int i) {
    return i >= 0 && i < 5 ? kModelNames[24 + static_cast<std::size_t>(i)] : kEmpty;
}

bool isInList(const CodeList& list, DeviceTypeCode code) {
    // A list that starts with 0 (the line-head list) would end at once; its five entries count.
    if (list[0] == 0) return std::find(list.begin(), list.begin() + 5, code) != list.begin() + 5;
    for (DeviceTypeCode c : list) {
        if (c == 0) break;
        if (c == code) return true;
    }
    return false;
}

bool isInList(const CodeList& list, DeviceTypeCode moduleType, DeviceTypeCode lineHeadType) {
    return isInList(list, moduleType != 0 ? moduleType : lineHeadType);
}

bool isKnownType(DeviceTypeCode code) { return code <= 17 || (code >= 48 && code <= 95); }

const std::vector<TypeChoice>& moduleTypeChoices() {
    static const std::vector<TypeChoice> choices = [] {
        std::vector<TypeChoice> out;
        for (DeviceTypeCode code = 0; code <= 17; ++code) {
            if (!isInList(LineHeadTypes, code)) out.push_back({modelName(code), code});
        }
        for (int group = 0; group < 6; ++group) {
            out.push_back({kModelNames[18 + static_cast<std::size_t>(group)],
                           static_cast<DeviceTypeCode>(48 + 8 * group)});
        }
        return out;
    }();
    return choices;
}

const std::string& usbProductString(DeviceTypeCode code) {
    return code == 12 ? kModelNames[29] : kModelNames[30];
}

}  // namespace lumo
