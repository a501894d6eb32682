#include "AppOption.h"

#include <array>

#include "ExcludePatterns.h"
#include "IniFile.h"
#include "actions/TMainActions.h"

namespace {

using TGroup = TOptionFlag::TGroup;

#define VIEW_FLAG(section, field, action, group) \
    { section, #field, &AppOption::field, nullptr, &TMainActions::action, group, false, false }
#define COMPARE_FLAG(key, field, action, updatesStates)                                         \
    {                                                                                           \
        "Option", key, nullptr, &TCompareOption::field, &TMainActions::action, TGroup::Compare, \
            updatesStates, false                                                                \
    }

// The truth values in the order of the settings file. Their defaults are
// those of a new record (the engine's, for the comparison flags).
constexpr TOptionFlag Flags[] = {
    VIEW_FLAG("View", SameOff, mnViewSame, TGroup::Hide),
    VIEW_FLAG("View", DiffOff, mnViewDiff, TGroup::Hide),
    VIEW_FLAG("View", ShowFront, mnViewFront, TGroup::Window),
    VIEW_FLAG("View", EndDialog, mnViewEndInfo, TGroup::Window),
    COMPARE_FLAG("Size", IgnoreSize, mnOptSize, true),
    COMPARE_FLAG("Attr", IgnoreAttr, mnOptAttr, true),
    COMPARE_FLAG("AttrR", IgnoreAttrR, mnOptAttrR, false),
    COMPARE_FLAG("AttrH", IgnoreAttrH, mnOptAttrH, false),
    COMPARE_FLAG("AttrS", IgnoreAttrS, mnOptAttrS, false),
    COMPARE_FLAG("AttrA", IgnoreAttrA, mnOptAttrA, false),
    COMPARE_FLAG("UpdYmdt", IgnoreTime, mnOptUpdYmdt, true),
    COMPARE_FLAG("UpdYmdtDir", IgnoreDirTimeSize, mnOptUpdYmdtDir, false),
    COMPARE_FLAG("Naiyou", SkipContents, mnOptNaiyou, false),
    {"Option", "Kaigyou", nullptr, &TCompareOption::IgnoreLineEnds, &TMainActions::mnOptKaigyou,
     TGroup::Compare, false, true},
    {"Option", "Idou", nullptr, &TCompareOption::DetectMoved, &TMainActions::mnOptIdou,
     TGroup::Compare, false, true},
    {"Option", "Jisa", &AppOption::TimeShiftOn, nullptr, &TMainActions::mnOptJisa, TGroup::Compare,
     false, true},
    {"Option", "Kyoyou", &AppOption::TimeToleranceOn, nullptr, &TMainActions::mnOptKyoyou,
     TGroup::Compare, false, true},
    {"Option", "Daishou", nullptr, &TCompareOption::CaseSensitive, &TMainActions::mnOptDaishou,
     TGroup::Compare, false, true},
};

// The numbers that go with the opt-in verdicts, with their ranges; written
// only when they differ from the default.
struct TNumberKey {
    const char* Key;
    int Least, Most;
    int Default;
};
constexpr TNumberKey MovedMinKey{"IdouMin", 1, 2147483647, 1};
constexpr TNumberKey ShiftKey{"JisaH", 1, 24, 1};
constexpr TNumberKey ToleranceKey{"KyoyouS", 0, 3600, 2};

int ReadNumber(const IniFile& ini, const TNumberKey& key) {
    const int value = ini.ReadInteger("Option", key.Key, key.Default);
    return value >= key.Least && value <= key.Most ? value : key.Default;
}

void WriteNumber(IniFile& ini, const TNumberKey& key, int64_t value) {
    if (value == key.Default)
        ini.DeleteKey("Option", key.Key);
    else
        ini.WriteInteger("Option", key.Key, static_cast<int>(value));
}

#undef VIEW_FLAG
#undef COMPARE_FLAG

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

// The exclude patterns, one a line; no key means no pattern, so a file of an
// earlier version reads as before, and one without patterns stays as it was.
constexpr const char* ExcludeKey = "Exclude";
constexpr const char* ThreadSection = "Thread";
constexpr const char* SpeedKey = "Speed";
constexpr const char* ApplicationSection = "Application";
constexpr const char* PairViewSection = "PairView";
constexpr const char* RemoteSection = "Remote";

}  // namespace

std::span<const TOptionFlag> OptionFlags() {
    return Flags;
}

QList<QAction*> OptionActions(const TMainActions& actions, TOptionFlag::TGroup group) {
    QList<QAction*> list;
    for (const TOptionFlag& flag : Flags) {
        if (flag.Group == group)
            list.append(actions.*flag.Action);
    }
    return list;
}

void AppOption::Load(const IniFile& ini) {
    const AppOption defaults;
    for (const TOptionFlag& flag : Flags)
        flag.In(*this) = ini.ReadBool(flag.Section, flag.Key, flag.In(defaults));
    Compare.Exclude = ExcludePatternsOf(ini.ReadString("Option", ExcludeKey, {}));
    Compare.MovedMinSize = ReadNumber(ini, MovedMinKey);
    TimeShiftHours = ReadNumber(ini, ShiftKey);
    TimeToleranceSeconds = ReadNumber(ini, ToleranceKey);
    // Only the low 8 bits count: 256 is 0 (idle), -1 is 255 and so out of range.
    const auto speed = static_cast<uint8_t>(ini.ReadInteger(ThreadSection, SpeedKey, DefaultSpeed));
    Speed = speed > 6 ? DefaultSpeed : speed;
    for (const TextKey& k : TextKeys)
        this->*k.Field = ini.ReadString(ApplicationSection, k.Key, {});
    EnterStartsCompApp = ini.ReadBool(PairViewSection, "Enter", false);
    const int limit = ini.ReadInteger(PairViewSection, "Limit", DefaultViewLimitMB);
    ViewLimitMB = limit >= 1 && limit <= MaxViewLimitMB ? limit : DefaultViewLimitMB;
    Ssh = ini.ReadString(RemoteSection, "Ssh", {});
    RemoteProgram = ini.ReadString(RemoteSection, "Program", {});
}

void AppOption::Save(IniFile& ini) const {
    for (const TOptionFlag& flag : Flags) {
        if (flag.OptIn && !flag.In(*this))
            ini.DeleteKey(flag.Section, flag.Key);
        else
            ini.WriteBool(flag.Section, flag.Key, flag.In(*this));
    }
    WriteNumber(ini, MovedMinKey, Compare.MovedMinSize);
    WriteNumber(ini, ShiftKey, TimeShiftHours);
    WriteNumber(ini, ToleranceKey, TimeToleranceSeconds);
    if (Compare.Exclude.empty())
        ini.DeleteKey("Option", ExcludeKey);
    else
        ini.WriteString("Option", ExcludeKey, ExcludePatternsText(Compare.Exclude));
    ini.WriteInteger(ThreadSection, SpeedKey, Speed);
    for (const TextKey& k : TextKeys)
        ini.WriteString(ApplicationSection, k.Key, this->*k.Field);
    // At their defaults they leave the file as it was, like every opt-in key.
    if (EnterStartsCompApp)
        ini.WriteBool(PairViewSection, "Enter", true);
    else
        ini.DeleteKey(PairViewSection, "Enter");
    if (ViewLimitMB != DefaultViewLimitMB)
        ini.WriteInteger(PairViewSection, "Limit", ViewLimitMB);
    else
        ini.DeleteKey(PairViewSection, "Limit");
    // Unset, they leave the file as it was.
    for (auto [key, value] : {std::pair{"Ssh", &Ssh}, std::pair{"Program", &RemoteProgram}}) {
        if (value->isEmpty())
            ini.DeleteKey(RemoteSection, key);
        else
            ini.WriteString(RemoteSection, key, *value);
    }
}

TRemoteSettings AppOption::RemoteSettings() const {
    TRemoteSettings settings = TRemoteSettings::FromEnvironment();
    if (!Ssh.isEmpty())
        settings.Ssh = Ssh.toStdString();
    if (!RemoteProgram.isEmpty())
        settings.Program = RemoteProgram.toStdString();
    return settings;
}

TCompareOption AppOption::EngineOption() const {
    TCompareOption option = Compare;
    option.TimeShift = TimeShiftOn ? TimeShiftHours : 0;
    option.TimeTolerance = TimeToleranceOn ? TimeToleranceSeconds : 0;
    return option;
}

int SpeedNiceValue(uint8_t speed) {
    static constexpr std::array<int, 7> NiceValues{19, 10, 5, 0, -5, -10, -15};
    return speed < NiceValues.size() ? NiceValues[speed] : NiceValues[AppOption::DefaultSpeed];
}
