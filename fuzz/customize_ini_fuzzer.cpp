// customize_ini_fuzzer.cpp: loads arbitrary Customize.ini text as the station does at start-up and builds an EEPROM image from it.
#include "common/eeprom/eeprom_image.h"
#include "fuzz/fuzz_files.h"
#include "portable/file_system_portable.h"
#include "portable/profile_files_portable.h"
#include "progstation/descriptor_inputs.h"
#include "tests/fakes/fake_dialog.h"

#include <cstdlib>

using namespace lt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::ScratchSystem system;
    settings::PortableProfileFiles profiles;
    platform::PortableFileSystem files;
    progstation::DescriptorFile file(profiles, files, system);
    fuzz::writeFile(fuzz::scratch().file("Customize.ini"), fuzz::asText(data, size));

    test::FakeDialog owner;
    eeprom::DescriptorSettings loaded = file.load(owner);
    if (!owner.messages().empty()) std::abort();  // the folder is there: nothing to report

    // Every field has a value, and the file now holds what the station took (unless a
    // NUL byte cut a value: the blanks before it go when the file is next rewritten).
    const bool cut = fuzz::asText(data, size).find('\0') != std::string_view::npos;
    const auto onFile = file.readFields(owner);
    for (std::size_t field = 0; field < progstation::kDescriptorFields; ++field) {
        const std::string& value = progstation::descriptorText(loaded, field);
        if (value.empty() || (!cut && onFile[field] != value)) std::abort();
    }

    (void)progstation::stringNotCarriable(loaded);
    eeprom::EepromWriteImage image;
    if (!eeprom::buildImage(loaded, image)) std::abort();
    if (loaded.manufacturer.size() != 21 || loaded.product.size() != 21) std::abort();
    return 0;
}
