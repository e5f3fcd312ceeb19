// fake_password_files.cpp: in-memory password files with share-mode conflicts and ordered failures.
#include "tests/fakes/fake_password_files.h"

namespace lt::test {

namespace {

class FakeHandle : public login::PasswordFileHandle {
public:
    FakeHandle(FakePasswordFiles& owner, std::string path) : owner_(owner), path_(std::move(path)) {
        ++owner_.files[path_].handles;
    }
    ~FakeHandle() override {
        if (auto it = owner_.files.find(path_); it != owner_.files.end()) --it->second.handles;
    }
    bool read(std::span<uint8_t> buffer, std::size_t& got) override {
        got = 0;
        if (owner_.failReads) return false;
        const std::string& bytes = owner_.files[path_].bytes;
        while (got < buffer.size() && position_ < bytes.size()) buffer[got++] = static_cast<uint8_t>(bytes[position_++]);
        return true;
    }
    bool write(std::span<const uint8_t> data) override {
        std::string& bytes = owner_.files[path_].bytes;
        const std::size_t count = owner_.failWrites ? data.size() / 2 : data.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (position_ < bytes.size()) bytes[position_] = static_cast<char>(data[i]);
            else bytes += static_cast<char>(data[i]);
            ++position_;
        }
        return !owner_.failWrites;
    }

private:
    FakePasswordFiles& owner_;
    std::string path_;
    std::size_t position_ = 0;
};

}  // namespace

std::unique_ptr<login::PasswordFileHandle> FakePasswordFiles::openExisting(const std::string& path) {
    calls.push_back("open " + path);
    const auto it = files.find(path);
    if (it == files.end() || it->second.handles > 0) return nullptr;
    return std::make_unique<FakeHandle>(*this, path);
}

std::unique_ptr<login::PasswordFileHandle> FakePasswordFiles::createNew(const std::string& path) {
    calls.push_back("create-new " + path);
    if (failCreate || files.count(path)) return nullptr;
    files[path].hidden = true;
    return std::make_unique<FakeHandle>(*this, path);
}

std::unique_ptr<login::PasswordFileHandle> FakePasswordFiles::createAlways(const std::string& path) {
    calls.push_back("create " + path);
    if (failCreate) return nullptr;
    if (auto it = files.find(path); it != files.end() && it->second.handles > 0) return nullptr;
    files[path] = FakeFile{"", true, 0};
    return std::make_unique<FakeHandle>(*this, path);
}

bool FakePasswordFiles::replace(const std::string& from, const std::string& to) {
    calls.push_back("replace " + from + " " + to);
    const auto source = files.find(from);
    if (failReplace || source == files.end() || source->second.handles > 0) return false;
    if (auto target = files.find(to); target != files.end() && target->second.handles > 0) return false;
    FakeFile moved = source->second;
    files.erase(source);
    files[to] = moved;
    return true;
}

bool FakePasswordFiles::remove(const std::string& path) {
    calls.push_back("remove " + path);
    const auto it = files.find(path);
    if (it == files.end() || it->second.handles > 0) return false;
    files.erase(it);
    return true;
}

int FakePasswordFiles::openHandles() const {
    int n = 0;
    for (const auto& [path, file] : files) n += file.handles;
    return n;
}

}  // namespace lt::test
