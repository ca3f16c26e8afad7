#include "platform/win/WinRegistry.h"

#include "platform/win/WinEnvironment.h"
#include "platform/rtl/FileUtils.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

struct RegValue {
    String name;
    bool isDword = false;
    String text;
    uint32_t dword = 0;
};

struct RegKeyData {
    String path;
    std::vector<RegValue> values;

    RegValue* Find(const String& name)
    {
        for (auto& v : values)
            if (SameText(v.name, name))
                return &v;
        return nullptr;
    }
};

struct Store {
    std::vector<RegKeyData> keys;

    RegKeyData* Find(const String& path)
    {
        for (auto& k : keys)
            if (SameText(k.path, path))
                return &k;
        return nullptr;
    }
    RegKeyData& Ensure(const String& path)
    {
        if (RegKeyData* k = Find(path))
            return *k;
        keys.push_back(RegKeyData{path, {}});
        return keys.back();
    }
    bool HasKeyOrBelow(const String& path) const
    {
        if (path.empty())
            return true;
        for (const auto& k : keys) {
            if (SameText(k.path, path))
                return true;
            if (k.path.size() > path.size() && k.path[path.size()] == '\\' &&
                SameText(k.path.substr(0, path.size()), path))
                return true;
        }
        return false;
    }
};

String NormaliseKeyPath(const String& path)
{
    String result;
    for (const String& part : SplitString(path, '\\')) {
        if (part.empty())
            continue;
        if (!result.empty())
            result += '\\';
        result += part;
    }
    return result;
}

String Quote(const String& s)
{
    String out = "\"";
    for (char c : s) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

// Reads a quoted text starting at line[pos] == '"'; pos ends after the closing quote.
bool Unquote(const String& line, size_t& pos, String& out)
{
    out.clear();
    if (pos >= line.size() || line[pos] != '"')
        return false;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < line.size()) {
            char e = line[++pos];
            out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
        } else {
            out += c;
        }
    }
    return false;
}

Store Parse(const String& text)
{
    Store store;
    RegKeyData* current = nullptr;
    TStringList lines;
    lines.SetText(text);
    for (int i = 0; i < lines.Count(); ++i) {
        const String line = Trim(lines[i]);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            current = &store.Ensure(NormaliseKeyPath(line.substr(1, line.size() - 2)));
            continue;
        }
        if (!current)
            continue;
        size_t pos = 0;
        RegValue value;
        if (!Unquote(line, pos, value.name) || pos >= line.size() || line[pos] != '=')
            continue;
        ++pos;
        if (line.compare(pos, 6, "dword:") == 0) {
            value.isDword = true;
            value.dword = static_cast<uint32_t>(std::strtoul(line.c_str() + pos + 6, nullptr, 16));
        } else if (!Unquote(line, pos, value.text)) {
            continue;
        }
        if (RegValue* existing = current->Find(value.name))
            *existing = value;
        else
            current->values.push_back(value);
    }
    return store;
}

String Serialise(const Store& store, HKEY root)
{
    String out = String("; registry store: ") + RegistryRootName(root) + "\n";
    for (const auto& key : store.keys) {
        out += "\n[" + key.path + "]\n";
        for (const auto& v : key.values) {
            out += Quote(v.name) + "=";
            if (v.isDword) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "dword:%08x", v.dword);
                out += hex;
            } else {
                out += Quote(v.text);
            }
            out += "\n";
        }
    }
    return out;
}

Store Load(HKEY root)
{
    const String file = RegistryStoreFile(root);
    if (!FileExists(file))
        return Store{};
    try {
        return Parse(ReadFileToString(file));
    } catch (const EInOutError&) {
        return Store{};
    }
}

// Holds the store's lock file for the lifetime of the object.
class StoreLock {
public:
    explicit StoreLock(const String& file)
    {
        fd_ = ::open((file + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            ::flock(fd_, LOCK_EX);
    }
    ~StoreLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Loads the root's store, lets change() edit it, and writes it back when change() says
// that something changed. False when the store cannot be written.
template <class F>
bool Modify(HKEY root, F change)
{
    const String file = RegistryStoreFile(root);
    if (!ForceDirectories(ExtractFileDir(file)))
        return false;
    StoreLock lock(file);
    if (!lock.Held())
        return false;
    Store store = Load(root);
    if (!change(store))
        return true;
    const String temp = file + ".new";
    try {
        WriteStringToFile(temp, Serialise(store, root));
    } catch (const EInOutError&) {
        DeleteFile(temp);
        return false;
    }
    if (!RenameFile(temp, file)) {
        DeleteFile(temp);
        return false;
    }
    return true;
}

} // namespace

const char* RegistryRootName(HKEY root)
{
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    return "";
}

String RegistryStoreFile(HKEY root)
{
    const String name = RegistryRootName(root);
    if (name.empty())
        throw ERegistryException("Unsupported registry root");
    const String file = name + ".ini";
    if (auto dir = GetEnvironmentVariable("QUELM_REGISTRY_DIR"); dir && !dir->empty())
        return PathJoin(*dir, file);
    if (root == HKEY_LOCAL_MACHINE)
        return PathJoin(ExtractFileDir(GetModuleFileName()), file);
    return PathJoin(GetUserConfigDirectory(), file);
}

TRegistry::TRegistry() : root_(HKEY_CURRENT_USER) {}

TRegistry::TRegistry(unsigned access) : Access(access), root_(HKEY_CURRENT_USER) {}

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY root)
{
    CloseKey();
    root_ = root;
}

String TRegistry::Resolve(const String& key) const
{
    if (!key.empty() && key[0] == '\\')
        return NormaliseKeyPath(key);
    if (!open_ || current_.empty())
        return NormaliseKeyPath(key);
    return NormaliseKeyPath(current_ + "\\" + key);
}

bool TRegistry::OpenKey(const String& key, bool canCreate)
{
    const String path = Resolve(key);
    bool exists = Load(root_).HasKeyOrBelow(path);
    if (!exists) {
        if (!canCreate || Access == KEY_READ)
            return false;
        if (!Modify(root_, [&](Store& s) { s.Ensure(path); return true; }))
            return false;
    }
    current_ = path;
    open_ = true;
    readOnly_ = Access == KEY_READ;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const String& key)
{
    const String path = Resolve(key);
    if (!Load(root_).HasKeyOrBelow(path))
        return false;
    current_ = path;
    open_ = true;
    readOnly_ = true;
    return true;
}

void TRegistry::CloseKey()
{
    open_ = false;
    readOnly_ = false;
    current_.clear();
}

bool TRegistry::KeyExists(const String& key) const
{
    return Load(root_).HasKeyOrBelow(Resolve(key));
}

bool TRegistry::ValueExists(const String& name) const
{
    if (!open_)
        return false;
    Store store = Load(root_);
    RegKeyData* key = store.Find(current_);
    return key && key->Find(name);
}

String TRegistry::ReadString(const String& name) const
{
    if (!open_)
        return String();
    Store store = Load(root_);
    RegKeyData* key = store.Find(current_);
    RegValue* value = key ? key->Find(name) : nullptr;
    if (!value)
        return String();
    if (value->isDword)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return value->text;
}

int TRegistry::ReadInteger(const String& name) const
{
    Store store = Load(root_);
    RegKeyData* key = open_ ? store.Find(current_) : nullptr;
    RegValue* value = key ? key->Find(name) : nullptr;
    if (!value || !value->isDword)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return static_cast<int>(value->dword);
}

void TRegistry::WriteString(const String& name, const String& value)
{
    const bool ok = open_ && !readOnly_ && Modify(root_, [&](Store& s) {
        RegKeyData& key = s.Ensure(current_);
        RegValue v{name, false, value, 0};
        if (RegValue* existing = key.Find(name))
            *existing = RegValue{existing->name, false, value, 0};
        else
            key.values.push_back(v);
        return true;
    });
    if (!ok)
        throw ERegistryException("Failed to set data for '" + name + "'");
}

void TRegistry::WriteInteger(const String& name, int value)
{
    const bool ok = open_ && !readOnly_ && Modify(root_, [&](Store& s) {
        RegKeyData& key = s.Ensure(current_);
        RegValue v{name, true, String(), static_cast<uint32_t>(value)};
        if (RegValue* existing = key.Find(name))
            *existing = RegValue{existing->name, true, String(), v.dword};
        else
            key.values.push_back(v);
        return true;
    });
    if (!ok)
        throw ERegistryException("Failed to set data for '" + name + "'");
}

bool TRegistry::DeleteValue(const String& name)
{
    if (!open_ || readOnly_)
        return false;
    bool found = false;
    const bool ok = Modify(root_, [&](Store& s) {
        RegKeyData* key = s.Find(current_);
        if (!key)
            return false;
        auto& values = key->values;
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (SameText(it->name, name)) {
                values.erase(it);
                found = true;
                return true;
            }
        }
        return false;
    });
    return ok && found;
}

bool TRegistry::DeleteKey(const String& key)
{
    const String path = Resolve(key);
    if (path.empty() || Access == KEY_READ)
        return false;
    bool found = false;
    const bool ok = Modify(root_, [&](Store& s) {
        const size_t before = s.keys.size();
        std::erase_if(s.keys, [&](const RegKeyData& k) {
            return SameText(k.path, path) ||
                   (k.path.size() > path.size() && k.path[path.size()] == '\\' &&
                    SameText(k.path.substr(0, path.size()), path));
        });
        found = s.keys.size() != before;
        return found;
    });
    return ok && found;
}

void TRegistry::GetValueNames(TStrings& names) const
{
    names.Clear();
    if (!open_)
        return;
    Store store = Load(root_);
    if (RegKeyData* key = store.Find(current_))
        for (const auto& v : key->values)
            names.Add(v.name);
}

void TRegistry::GetKeyNames(TStrings& names) const
{
    names.Clear();
    if (!open_)
        return;
    Store store = Load(root_);
    const String prefix = current_.empty() ? String() : current_ + "\\";
    for (const auto& k : store.keys) {
        if (k.path.size() <= prefix.size() || !SameText(k.path.substr(0, prefix.size()), prefix))
            continue;
        const String rest = k.path.substr(prefix.size());
        const String child = rest.substr(0, rest.find('\\'));
        bool seen = false;
        for (int i = 0; i < names.Count() && !seen; ++i)
            seen = SameText(names[i], child);
        if (!seen)
            names.Add(child);
    }
}
