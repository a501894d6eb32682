#include "AppOption.h"

#include <array>

#include "IniFile.h"

namespace {

struct BoolKey {
    const char* Section;
    const char* Key;
    bool AppOption::*Field;
    bool Default;
};

// The truth values in the order of the settings file, with their defaults.
constexpr std::array<BoolKey, 13> BoolKeys{{
    {"View", "SameOff", &AppOption::SameOff, false},
    {"View", "DiffOff", &AppOption::DiffOff, false},
    {"View", "ShowFront", &AppOption::ShowFront, false},
    {"View", "EndDialog", &AppOption::EndDialog, false},
    {"Option", "Size", &AppOption::Size, false},
    {"Option", "Attr", &AppOption::Attr, false},
    {"Option", "AttrR", &AppOption::AttrR, true},
    {"Option", "AttrH", &AppOption::AttrH, false},
    {"Option", "AttrS", &AppOption::AttrS, false},
    {"Option", "AttrA", &AppOption::AttrA, true},
    {"Option", "UpdYmdt", &AppOption::UpdYmdt, false},
    {"Option", "UpdYmdtDir", &AppOption::UpdYmdtDir, true},
    {"Option", "Naiyou", &AppOption::Naiyou, false},
}};

struct TextKey {
    const char* Key;
    QString AppOption::*Field;
};

constexpr std::array<TextKey, 6> TextKeys{{
    {"Title1", &AppOption::Title1},
    {"Path1", &AppOption::Path1},
    {"Title2", &AppOption::Title2},
    {"Path2", &AppOption::Path2},
    {"CompTitle", &AppOption::CompTitle},
    {"CompPath", &AppOption::CompPath},
}};

constexpr const char* ThreadSection = "Thread";
constexpr const char* SpeedKey = "Speed";
constexpr const char* ApplicationSection = "Application";

}  // namespace

void AppOption::Load(const IniFile& ini) {
    for (const BoolKey& k : BoolKeys)
        this->*k.Field = ini.ReadBool(k.Section, k.Key, k.Default);
    // Only the low 8 bits count: 256 is 0 (idle), -1 is 255 and so out of range.
    const auto speed = static_cast<uint8_t>(ini.ReadInteger(ThreadSection, SpeedKey, DefaultSpeed));
    Speed = speed > 6 ? DefaultSpeed : speed;
    for (const TextKey& k : TextKeys)
        this->*k.Field = ini.ReadString(ApplicationSection, k.Key, {});
}

void AppOption::Save(IniFile& ini) const {
    for (const BoolKey& k : BoolKeys)
        ini.WriteBool(k.Section, k.Key, this->*k.Field);
    ini.WriteInteger(ThreadSection, SpeedKey, Speed);
    for (const TextKey& k : TextKeys)
        ini.WriteString(ApplicationSection, k.Key, this->*k.Field);
}

TCompareOption AppOption::CompareOption() const {
    TCompareOption option;
    option.IgnoreSize = Size;
    option.IgnoreAttr = Attr;
    option.IgnoreAttrR = AttrR;
    option.IgnoreAttrH = AttrH;
    option.IgnoreAttrS = AttrS;
    option.IgnoreAttrA = AttrA;
    option.IgnoreTime = UpdYmdt;
    option.IgnoreDirTimeSize = UpdYmdtDir;
    option.SkipContents = Naiyou;
    return option;
}

QThread::Priority SpeedPriority(uint8_t speed) {
    static constexpr std::array<QThread::Priority, 7> Priorities{
        QThread::IdlePriority,         QThread::LowestPriority, QThread::LowPriority,
        QThread::NormalPriority,       QThread::HighPriority,   QThread::HighestPriority,
        QThread::TimeCriticalPriority,
    };
    return speed < Priorities.size() ? Priorities[speed] : QThread::LowPriority;
}

int SpeedNiceValue(uint8_t speed) {
    static constexpr std::array<int, 7> NiceValues{19, 10, 5, 0, -5, -10, -15};
    return speed < NiceValues.size() ? NiceValues[speed] : NiceValues[AppOption::DefaultSpeed];
}
