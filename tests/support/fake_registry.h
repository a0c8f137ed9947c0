// The interface class key of the USB printing interfaces and the keys and values below
// it, in memory. Subkeys enumerate in the order they were added; names match without
// regard to case, as the registry's do. The fake counts what was opened and read, and
// which keys are still open.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/services.h"
#include "platform/text.h"

class FakeRegistry final : public platform::Registry {
public:
    using Dword = platform::Dword;
    using Long = platform::Long;

    struct Value {
        Dword type;
        std::string data;
    };
    struct Node {
        std::vector<std::pair<std::u16string, std::unique_ptr<Node>>> children;
        std::map<std::u16string, Value> values;

        Node& Child(const std::u16string& name) {
            if (Node* n = Find(name)) return *n;
            children.emplace_back(name, std::make_unique<Node>());
            return *children.back().second;
        }
        Node* Find(const char16_t* name) {
            for (auto& c : children) {
                if (text::EqualNoCase(c.first.c_str(), name)) return c.second.get();
            }
            return nullptr;
        }
        Node* Find(const std::u16string& name) { return Find(name.c_str()); }
    };

    Node classKey;
    bool classKeyFails = false;
    std::map<Dword, Long> enumErrors;  // scripted failures of RegEnumKeyExW by index

    int classKeyOpens = 0;
    int queries = 0;
    Dword lastSam = 0, lastFlags = 0;
    platform::Guid lastGuid{};

    FakeRegistry() : scope_(*this) {}

    // A value at a backslash-separated path below the class key.
    void Set(const std::u16string& path, const std::u16string& name, Dword type, std::string data) {
        Node* node = &classKey;
        std::size_t start = 0;
        while (start <= path.size()) {
            std::size_t end = path.find(u'\\', start);
            if (end == std::u16string::npos) end = path.size();
            node = &node->Child(path.substr(start, end - start));
            start = end + 1;
        }
        node->values[name] = {type, std::move(data)};
    }
    static std::string DwordData(std::uint32_t v) {
        return std::string{char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
    }
    // UTF-16LE bytes of the text, with its terminating zero unless told otherwise.
    static std::string SzData(const std::u16string& s, bool terminated = true) {
        std::string out;
        for (char16_t c : s) {
            out.push_back(char(c & 0xFF));
            out.push_back(char(c >> 8));
        }
        if (terminated) out.append(2, '\0');
        return out;
    }
    // The values the port monitor keeps for one interface.
    void AddInterface(const std::u16string& subkey, const std::u16string& deviceInstance,
                      std::uint32_t linked, std::uint32_t portNumber) {
        Set(subkey, u"DeviceInstance", platform::kRegSz, SzData(deviceInstance));
        Set(subkey + u"\\#\\Control", u"Linked", platform::kRegDword, DwordData(linked));
        Set(subkey + u"\\#\\Device Parameters", u"Port Number", platform::kRegDword, DwordData(portNumber));
    }

    std::size_t OpenKeys() const { return open_.size(); }

    platform::Key SetupDiOpenClassRegKeyExW(const platform::Guid* guid, Dword sam, Dword flags,
                                            const char16_t*, void*) override {
        ++classKeyOpens;
        lastSam = sam;
        lastFlags = flags;
        lastGuid = *guid;
        if (classKeyFails) return platform::kInvalidHandle;
        return NewKey(&classKey);
    }
    Long RegEnumKeyExW(platform::Key key, Dword index, char16_t* name, Dword* nameLength, Dword*, char16_t*,
                       Dword*, void*) override {
        Node* node = Lookup(key);
        if (!node) return 6;
        if (auto e = enumErrors.find(index); e != enumErrors.end()) return e->second;
        if (index >= node->children.size()) return static_cast<Long>(platform::kErrorNoMoreItems);
        const std::u16string& child = node->children[index].first;
        if (child.size() >= *nameLength) return static_cast<Long>(platform::kErrorMoreData);
        std::memcpy(name, child.c_str(), (child.size() + 1) * sizeof(char16_t));
        *nameLength = static_cast<Dword>(child.size());
        return 0;
    }
    Long RegOpenKeyExW(platform::Key parent, const char16_t* subKey, Dword, Dword sam,
                       platform::Key* result) override {
        lastSam = sam;
        *result = nullptr;
        Node* node = Lookup(parent);
        if (!node) return 6;
        Node* child = node->Find(subKey);
        if (!child) return static_cast<Long>(platform::kErrorFileNotFound);
        *result = NewKey(child);
        return 0;
    }
    Long RegQueryValueExW(platform::Key key, const char16_t* valueName, Dword*, Dword* type,
                          std::uint8_t* data, Dword* size) override {
        ++queries;
        Node* node = Lookup(key);
        if (!node) return 6;
        auto v = node->values.find(valueName);
        if (v == node->values.end()) return static_cast<Long>(platform::kErrorFileNotFound);
        *type = v->second.type;
        Dword needed = static_cast<Dword>(v->second.data.size());
        if (data == nullptr || *size < needed) {
            *size = needed;
            return static_cast<Long>(platform::kErrorMoreData);
        }
        std::memcpy(data, v->second.data.data(), needed);
        *size = needed;
        return 0;
    }
    Long RegCloseKey(platform::Key key) override { return open_.erase(key) ? 0 : 6; }

private:
    platform::Key NewKey(Node* node) {
        platform::Key key = reinterpret_cast<platform::Key>(static_cast<std::intptr_t>(next_ += 4));
        open_[key] = node;
        return key;
    }
    Node* Lookup(platform::Key key) {
        auto k = open_.find(key);
        return k == open_.end() ? nullptr : k->second;
    }

    std::intptr_t next_ = 0x1000;
    std::map<platform::Key, Node*> open_;
    platform::ScopedService<platform::Registry> scope_;
};
