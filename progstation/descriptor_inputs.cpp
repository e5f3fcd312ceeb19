// descriptor_inputs.cpp: loading and saving Customize.ini, and the "Rev C Inputs" dialog's fill, keystroke filter and OK checks.
#include "progstation/descriptor_inputs.h"

#include "common/adapter/hex_digits.h"
#include "common/settings/settings_keys.h"
#include "common/settings/settings_store.h"
#include "common/ui/data_exchange.h"
#include "common/ui/strings.h"
#include "resources/progstation_ids.h"

namespace lt::progstation {
namespace {

namespace keys = settings::keys;

const std::array<const settings::SettingKey*, kDescriptorFields> kKeys = {
    &keys::ManufacturerId, &keys::ProductId, &keys::Vid, &keys::Pid, &keys::LanguageId};

std::string_view defaultValue(std::size_t field) { return kKeys[field]->use(settings::Reader::ProgStation).text; }

bool isControl(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return c < 0x20 || c == 0x7F;
}

}  // namespace

const std::array<DescriptorField, kDescriptorFields>& descriptorFields() {
    static const std::array<DescriptorField, kDescriptorFields> fields = {{
        {IDC_MANUFACTURER, 21, "Manufacturer ID", "Please Enter Valid Manufacturer ID", false},
        {IDC_PRODUCT, 21, "Product ID", "Please Enter Valid Product ID", false},
        {IDC_VID, 4, "VID", "Please Enter Valid VID", true},
        {IDC_PID, 4, "PID", "Please Enter Valid PID", true},
        {IDC_LANGUAGE_ID, 4, "Language ID", "Please Enter Valid Language ID", true},
    }};
    return fields;
}

std::string& descriptorText(eeprom::DescriptorSettings& s, std::size_t field) {
    switch (field) {
    case 0: return s.manufacturer;
    case 1: return s.product;
    case 2: return s.vid;
    case 3: return s.pid;
    default: break;
    }
    return s.languageId;
}

const std::string& descriptorText(const eeprom::DescriptorSettings& s, std::size_t field) {
    return descriptorText(const_cast<eeprom::DescriptorSettings&>(s), field);
}

std::optional<std::size_t> stringNotCarriable(const eeprom::DescriptorSettings& settings) {
    for (std::size_t field = 0; field < 2; ++field)
        for (const char c : descriptorText(settings, field))
            if (static_cast<unsigned char>(c) >= 0x80) return field;
    return std::nullopt;
}

void refuseNotCarriable(ui::DialogView& view, const ui::Strings& strings, std::size_t field) {
    view.messageBox(ui::fillIn(strings.text(IDS_DESCRIPTOR_NOT_ASCII), {descriptorFields()[field].name}),
                    ui::Icon::Exclamation, ui::Buttons::Ok);
    view.focus(descriptorFields()[field].boxId);
}

// ---- Customize.ini.

std::optional<std::string> DescriptorFile::path(ui::DialogView& owner) {
    const auto windows = system_.windowsDirectory();
    if (!windows || windows->empty()) {
        owner.messageBox(kCannotRetrievePath, ui::Icon::None, ui::Buttons::Ok);
        return std::nullopt;
    }
    return settings::settingsPathsIn(*windows).customize;
}

// A value read into 260 characters; a missing key and an empty value both read as "".
std::string DescriptorFile::read(const std::string& path, std::size_t field) {
    const settings::SettingKey& key = *kKeys[field];
    files_.clearReadOnly(path);
    return profiles_.readString(path, key.section, key.key, "", key.bufferSize);
}

void DescriptorFile::write(const std::string& path, std::size_t field, std::string_view value) {
    files_.clearReadOnly(path);
    settings::SettingsStore(profiles_, files_, settings::SettingsPaths{"", "", path}).writeText(*kKeys[field], value);
}

eeprom::DescriptorSettings DescriptorFile::load(ui::DialogView& owner) {
    eeprom::DescriptorSettings settings;  // the defaults
    const auto file = path(owner);
    if (!file) return settings;
    if (!files_.exists(*file)) {
        settings::SettingsStore store(profiles_, files_, settings::SettingsPaths{"", "", *file});
        files_.clearReadOnly(*file);
        store.writeText(keys::Manufacturer, keys::kManufacturerValue);
        files_.clearReadOnly(*file);
        store.writeText(keys::Provider, keys::kProviderValue);
        for (std::size_t field = 0; field < kDescriptorFields; ++field) write(*file, field, defaultValue(field));
        return settings;
    }
    for (std::size_t field = 0; field < kDescriptorFields; ++field) {
        std::string value = read(*file, field);
        if (value.empty()) {
            value = std::string(defaultValue(field));
            write(*file, field, value);
        }
        descriptorText(settings, field) = value;
    }
    return settings;
}

std::array<std::string, kDescriptorFields> DescriptorFile::readFields(ui::DialogView& owner) {
    std::array<std::string, kDescriptorFields> values;
    if (const auto file = path(owner))
        for (std::size_t field = 0; field < kDescriptorFields; ++field) values[field] = read(*file, field);
    return values;
}

void DescriptorFile::save(const eeprom::DescriptorSettings& settings, ui::DialogView& owner) {
    const auto file = path(owner);
    if (!file) return;
    for (std::size_t field = 0; field < kDescriptorFields; ++field)
        write(*file, field, descriptorText(settings, field));
}

// ---- "Rev C Inputs".

void DescriptorInputsDialog::onInit() {
    const auto values = file_.readFields(view());
    for (std::size_t field = 0; field < kDescriptorFields; ++field) {
        const DescriptorField& f = descriptorFields()[field];
        descriptorText(values_, field) = values[field];
        view().limitText(f.boxId, static_cast<uint32_t>(f.limit));
        view().setText(f.boxId, values[field]);
    }
}

bool DescriptorInputsDialog::filterChar(int id, char ch) {
    if (id != IDC_VID && id != IDC_PID && id != IDC_LANGUAGE_ID) return true;
    if (isControl(ch) || adapter::isHexDigit(ch)) return true;
    view().beep();
    return false;
}

void DescriptorInputsDialog::onOk() {
    eeprom::DescriptorSettings taken{"", "", "", "", ""};
    for (std::size_t field = 0; field < kDescriptorFields; ++field) {
        const DescriptorField& f = descriptorFields()[field];
        std::string text = view().text(f.boxId);
        if (!ui::checkMaxChars(view(), f.boxId, text, f.limit)) return;
        descriptorText(taken, field) = std::move(text);
    }
    values_ = taken;
    for (std::size_t field = 0; field < kDescriptorFields; ++field) {
        const DescriptorField& f = descriptorFields()[field];
        if (!descriptorText(values_, field).empty()) continue;
        view().messageBox(f.emptyMessage, ui::Icon::None, ui::Buttons::Ok, "Error");
        view().focus(f.boxId);
        return;
    }
    if (const auto field = stringNotCarriable(values_)) {
        refuseNotCarriable(view(), strings_, *field);
        return;
    }
    for (std::size_t field = 0; field < kDescriptorFields; ++field) {
        const DescriptorField& f = descriptorFields()[field];
        if (!f.identifier) continue;
        std::string& text = descriptorText(values_, field);
        if (text.size() < 4) text.insert(0, 4 - text.size(), '0');
        view().setText(f.boxId, text);
    }
    view().endDialog(ui::kIdOk);
}

}  // namespace lt::progstation
