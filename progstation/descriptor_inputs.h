// descriptor_inputs.h: the station's descriptor settings: Customize.ini in the Windows directory, and the "Rev C Inputs" dialog that changes them behind the login.
//
// The file's section is read as "Strings" and written as "strings"; its five keys are
// MANUFACTURERID, PRODUCTID, VID, PID and "LANGGUAGEID" (doubled G, as stored on every
// station). Its path is built anew for each operation from the Windows directory; when
// that cannot be had the operation shows "Cannot retrieve file path" and fails. The
// file's read-only attribute is cleared before every read and write.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/eeprom/eeprom_image.h"
#include "common/platform/file_system.h"
#include "common/platform/system_paths.h"
#include "common/settings/profile_files.h"
#include "common/ui/dialog_logic.h"
#include "common/ui/strings.h"

namespace lt::progstation {

inline constexpr std::string_view kCannotRetrievePath = "Cannot retrieve file path";

// The five fields in the file's (and the dialogs') order: manufacturer string, product
// string, VID, PID, language ID, with their box IDs, limits and names.
inline constexpr std::size_t kDescriptorFields = 5;
struct DescriptorField {
    int boxId;
    std::size_t limit;
    std::string_view name;            // as the dialogs label it
    std::string_view emptyMessage;    // shown by "Rev C Inputs" when it is left empty
    bool identifier;                  // hexadecimal, padded to four digits
};
const std::array<DescriptorField, kDescriptorFields>& descriptorFields();

// The field's text in `settings`, in the order above.
std::string& descriptorText(eeprom::DescriptorSettings& settings, std::size_t field);
const std::string& descriptorText(const eeprom::DescriptorSettings& settings, std::size_t field);

// The adapter carries each character of a USB string as one 16-bit unit, and the image
// widens a character of 0x80-0xFF to 0xFF80-0xFFFF, which is no character the operator
// meant. The field (0 or 1) of the first string holding such a character, if any.
std::optional<std::size_t> stringNotCarriable(const eeprom::DescriptorSettings& settings);

// Customize.ini.
class DescriptorFile {
public:
    DescriptorFile(settings::ProfileFiles& profiles, platform::FileSystem& files, platform::SystemPaths& system)
        : profiles_(profiles), files_(files), system_(system) {}

    // The station's copy at start-up. A new file gets MANUFACTURER="MfgName",
    // PROVIDER="ProviderName" and the five defaults; in a file that exists, a key that is
    // missing or empty takes its default, which is written back. Without a Windows
    // directory: the message (owned by `owner`) and the defaults.
    eeprom::DescriptorSettings load(ui::DialogView& owner);
    // The five values as the file holds them, "" for a key that cannot be read (the
    // "Rev C Inputs" dialog shows the file, not the station's copy).
    std::array<std::string, kDescriptorFields> readFields(ui::DialogView& owner);
    // The five keys in order.
    void save(const eeprom::DescriptorSettings& settings, ui::DialogView& owner);

private:
    std::optional<std::string> path(ui::DialogView& owner);
    std::string read(const std::string& path, std::size_t field);
    void write(const std::string& path, std::size_t field, std::string_view value);

    settings::ProfileFiles& profiles_;
    platform::FileSystem& files_;  // whether the file exists, its read-only attribute
    platform::SystemPaths& system_;
};

// Dialog 133, "Rev C Inputs": filled from the file when it opens; OK checks that no field
// is empty (first empty one reported with caption "Error"), that the two strings carry only
// characters the adapter can hold, pads the identifiers to four digits and ends with OK.
class DescriptorInputsDialog : public ui::DialogLogic {
public:
    DescriptorInputsDialog(DescriptorFile& file, const ui::Strings& strings) : file_(file), strings_(strings) {}

    void onInit() override;
    void onOk() override;
    bool filterChar(int id, char ch) override;

    // The five texts after OK.
    const eeprom::DescriptorSettings& values() const { return values_; }

private:
    DescriptorFile& file_;
    const ui::Strings& strings_;
    eeprom::DescriptorSettings values_{"", "", "", "", ""};
};

// The refusal of a string the adapter cannot carry: string `IDS_DESCRIPTOR_NOT_ASCII`
// with the field's name, exclamation icon, focus to its box.
void refuseNotCarriable(ui::DialogView& view, const ui::Strings& strings, std::size_t field);

}  // namespace lt::progstation
