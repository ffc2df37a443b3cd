#include "support/PowerCut.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <unordered_map>

#include "support/TempDir.h"

using korvane::TIoEvent;

namespace {

constexpr uint64_t kPage = 4096;

// One data step of a file, kept or lost as a unit.
struct TDataStep {
    bool truncate;  // to `pos`; otherwise `bytes` written at `pos`
    uint64_t pos;
    std::string bytes;
    std::string what;  // for the labels
};

struct TObject {
    std::string durable;
    std::vector<TDataStep> pending;
};

struct TNameStep {
    TIoEvent::TKind kind;  // Create (of a new file), Rename or Remove
    std::string from, to;
    int object;
};

void Apply(std::string& bytes, const TDataStep& s)
{
    if (s.truncate) return bytes.resize(s.pos, '\0');
    if (bytes.size() < s.pos + s.bytes.size()) bytes.resize(s.pos + s.bytes.size(), '\0');
    bytes.replace(s.pos, s.bytes.size(), s.bytes);
}

const char* const kKindNames[] = {"Create", "Write", "Truncate", "Sync", "SyncFolder", "Rename", "Remove"};

class TModel {
public:
    TModel(const TFolderFiles& before, std::string folder) : folder_(std::move(folder))
    {
        for (const auto& [name, bytes] : before) {
            objects_.push_back({bytes, {}});
            names_[name] = handles_[name] = int(objects_.size() - 1);
        }
        durableNames_ = names_;
    }

    // The name within the folder, or "" for a path outside it.
    std::string Inside(const std::string& path) const
    {
        const size_t slash = path.rfind('/');
        if (slash == std::string::npos || path.compare(0, slash, folder_) != 0 || slash != folder_.size()) return {};
        return path.substr(slash + 1);
    }

    std::string Describe(const TIoEvent& e, size_t k) const
    {
        auto name = [&](const std::string& path) { return Inside(path).empty() ? path : Inside(path); };
        std::string s = "step " + std::to_string(k) + " (" + kKindNames[e.Kind] + " " + name(e.Path);
        if (e.Kind == TIoEvent::Write) s += " @" + std::to_string(e.Pos);
        if (e.Kind == TIoEvent::Truncate) s += " to " + std::to_string(e.Pos);
        if (e.Kind == TIoEvent::Rename) s += " -> " + name(e.To);
        return s + ")";
    }

    void Step(const TIoEvent& e, const std::string& what)
    {
        if (e.Kind == TIoEvent::SyncFolder) {
            if (e.Path == folder_) durableNames_ = names_, pendingNames_.clear();
            return;
        }
        const std::string name = Inside(e.Path);
        if (name.empty()) return;
        // A path written through names the file it was opened as, also
        // after that file was renamed away.
        auto handle = handles_.find(name);
        TObject* file = handle == handles_.end() ? nullptr : &objects_[size_t(handle->second)];
        switch (e.Kind) {
        case TIoEvent::Create:
            if (names_.count(name)) {
                handles_[name] = names_[name];
                objects_[size_t(names_[name])].pending.push_back({true, 0, {}, what + ", the emptying"});
            } else {
                objects_.push_back({});
                names_[name] = handles_[name] = int(objects_.size() - 1);
                pendingNames_.push_back({TIoEvent::Create, name, name, handles_[name]});
            }
            break;
        case TIoEvent::Write: {
            if (!file || e.Bytes.empty()) break;
            const uint64_t first = e.Pos / kPage, last = (e.Pos + e.Bytes.size() - 1) / kPage;
            for (uint64_t p = first; p <= last; ++p) {
                const uint64_t from = std::max(e.Pos, p * kPage), to = std::min(e.Pos + e.Bytes.size(), (p + 1) * kPage);
                file->pending.push_back({false, from, e.Bytes.substr(from - e.Pos, to - from),
                                         "page " + std::to_string(p - first + 1) + " of " + std::to_string(last - first + 1) + " of " + what});
            }
            break;
        }
        case TIoEvent::Truncate:
            if (file) file->pending.push_back({true, e.Pos, {}, what});
            break;
        case TIoEvent::Sync:
            if (!file) break;
            for (const TDataStep& s : file->pending) Apply(file->durable, s);
            file->pending.clear();
            break;
        case TIoEvent::Rename: {
            const std::string to = Inside(e.To);
            if (to.empty() || !names_.count(name)) break;
            const int object = names_[name];
            names_.erase(name);
            names_[to] = handles_[to] = object;
            pendingNames_.push_back({TIoEvent::Rename, name, to, object});
            break;
        }
        case TIoEvent::Remove:
            if (names_.erase(name)) pendingNames_.push_back({TIoEvent::Remove, name, name, -1});
            break;
        default: break;
        }
    }

    size_t NameSteps() const { return pendingNames_.size(); }
    std::vector<std::pair<size_t, size_t>> DataSteps() const  // (object, step)
    {
        std::vector<std::pair<size_t, size_t>> all;
        for (size_t o = 0; o < objects_.size(); ++o)
            for (size_t s = 0; s < objects_[o].pending.size(); ++s) all.emplace_back(o, s);
        return all;
    }
    const std::string& What(std::pair<size_t, size_t> step) const { return objects_[step.first].pending[step.second].what; }

    // The files with the first `names` name steps kept and the data steps `kept` says.
    TFolderFiles State(size_t names, const std::function<bool(size_t, size_t)>& kept) const
    {
        std::map<std::string, int> at = durableNames_;
        for (size_t i = 0; i < names; ++i) {
            const TNameStep& n = pendingNames_[i];
            at.erase(n.from);
            if (n.kind != TIoEvent::Remove) at[n.to] = n.object;
        }
        TFolderFiles files;
        for (const auto& [name, o] : at) {
            std::string bytes = objects_[size_t(o)].durable;
            const auto& pending = objects_[size_t(o)].pending;
            for (size_t s = 0; s < pending.size(); ++s)
                if (kept(size_t(o), s)) Apply(bytes, pending[s]);
            files[name] = std::move(bytes);
        }
        return files;
    }

private:
    std::string folder_;
    std::vector<TObject> objects_;
    std::map<std::string, int> durableNames_, names_, handles_;
    std::vector<TNameStep> pendingNames_;
};

}  // namespace

std::vector<TDiskState> PowerCutStates(const TFolderFiles& before, const std::string& folder,
                                       const std::vector<TIoEvent>& events, uint32_t seed, int randomPerCut)
{
    std::mt19937 random(seed);
    std::vector<TDiskState> states;
    std::unordered_map<size_t, std::vector<size_t>> seen;  // by a hash of the files
    auto add = [&](TFolderFiles files, const std::string& label) {
        size_t h = files.size();
        for (const auto& [name, bytes] : files) h = h * 1000003 ^ std::hash<std::string>()(name) ^ std::hash<std::string>()(bytes) * 31;
        for (size_t i : seen[h])
            if (states[i].Files == files) return;
        seen[h].push_back(states.size());
        states.push_back({std::move(files), label});
    };
    TModel model(before, folder);
    for (size_t k = 0; k <= events.size(); ++k) {
        if (k > 0) model.Step(events[k - 1], model.Describe(events[k - 1], k));
        const std::string cut = k == 0 ? "cut before step 1" : "cut after " + model.Describe(events[k - 1], k) + (k == events.size() ? ", the last" : "");
        const size_t names = model.NameSteps();
        const auto data = model.DataSteps();
        const auto all = [](size_t, size_t) { return true; };
        add(model.State(names, all), cut + ": all kept");
        add(model.State(0, [](size_t, size_t) { return false; }), cut + ": nothing kept");
        for (const auto& d : data)
            add(model.State(names, [&](size_t o, size_t s) { return std::make_pair(o, s) != d; }), cut + ": " + model.What(d) + " dropped");
        for (size_t n = 0; n < names; ++n)
            add(model.State(n, all), cut + ": " + std::to_string(n) + " of " + std::to_string(names) + " name steps kept");
        for (int r = 0; r < randomPerCut; ++r) {
            const size_t n = random() % (names + 1);
            std::set<std::pair<size_t, size_t>> keep;
            std::string which;
            for (size_t i = 0; i < data.size(); ++i)
                if (random() & 1) keep.insert(data[i]), which += (which.empty() ? "" : ",") + std::to_string(i + 1);
            add(model.State(n, [&](size_t o, size_t s) { return keep.count({o, s}) > 0; }),
                cut + ": " + std::to_string(n) + " of " + std::to_string(names) + " name steps and data steps {" + which + "} of " +
                    std::to_string(data.size()) + " kept");
        }
    }
    return states;
}

TFolderFiles FolderFiles(const std::string& folder)
{
    TFolderFiles files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.is_regular_file()) files[e.path().filename().string()] = ReadBytes(e.path().string());
    return files;
}

void WriteDiskState(const TDiskState& state, const std::string& folder)
{
    for (const auto& [name, bytes] : state.Files) WriteBytes(folder + "/" + name, bytes);
}
