// Every export of the export list, called with null, zero, negative, huge and
// off-canvas arguments before a canvas, with one and after DRO_DeleteImage: no signal
// and no sanitizer report. The prototypes come from the public header, the kind of
// each argument from its name (overridden where a name misleads); calls go through
// libffi into the shared library. Each group of exports runs in a fresh process (this
// test binary again, so no OpenMP pool is inherited across a fork).
#include <dlfcn.h>
#include <fcntl.h>
#include <ffi.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

// What an argument is to the engine, which decides the values it is tried with.
enum class Kind {
    Place,      // a coordinate or index the engine must check: anything goes
    Extent,     // a size of the host's own block: the host is trusted with it, so no huge values
    Pitch,      // a row pitch of the host's block: 0 or the block's own (a negative one is a layout)
    Number,     // any other integer: anything goes
    Byte,
    Real,
    Block,      // a host block: null or a large zeroed one
    Text,       // a name or a path
    Callback,   // only null
};

enum class Type { Int32, IntPtr, Byte, Float, Pointer, Void };

struct Parameter {
    Type type;
    Kind kind;
};

struct Prototype {
    std::string name;
    Type result = Type::Void;
    std::vector<Parameter> parameters;
};

Type typeOf(const std::string& text) {
    if (text.find('*') != std::string::npos || text.find("DRO_Window") != std::string::npos ||
        text.find("Callback") != std::string::npos)
        return Type::Pointer;
    if (text.find("void") != std::string::npos) return Type::Void;
    if (text.find("intptr_t") != std::string::npos) return Type::IntPtr;
    if (text.find("uint8_t") != std::string::npos) return Type::Byte;
    if (text.find("float") != std::string::npos || text.find("double") != std::string::npos) return Type::Float;
    return Type::Int32;
}

bool nameHas(const std::string& name, std::initializer_list<const char*> words) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* w : words) {
        if (lower.find(w) != std::string::npos) return true;
    }
    return false;
}

Kind kindOf(Type type, const std::string& typeText, const std::string& name) {
    if (typeText.find("Callback") != std::string::npos || typeText.find("DRO_Window") != std::string::npos)
        return Kind::Callback;
    // Only const text is read; a plain char pointer is a buffer the export writes into.
    if (type == Type::Pointer)
        return typeText.find("const char") != std::string::npos ? Kind::Text : Kind::Block;
    if (type == Type::Byte) return Kind::Byte;
    if (type == Type::Float) return Kind::Real;
    if (nameHas(name, {"pitch", "stride", "blockwidth"})) return Kind::Pitch;
    if (nameHas(name, {"count", "size", "bytes", "capacity", "length", "width", "height"}))
        return Kind::Extent;
    if (nameHas(name, {"x", "y", "layer", "index", "row", "left", "top", "right", "bottom"})) return Kind::Place;
    return Kind::Number;
}

std::string readText(const char* path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, Prototype> headerPrototypes() {
    std::string header = readText(DROVANE_PUBLIC_HEADER);
    header = std::regex_replace(header, std::regex(R"(/\*[\s\S]*?\*/)"), " ");
    std::map<std::string, Prototype> out;
    const std::regex declaration(R"(DRO_API\s+([\w\s\*]+?)\s*DRO_CALL\s+(\w+)\s*\(([^)]*)\))");
    for (std::sregex_iterator it(header.begin(), header.end(), declaration), end; it != end; ++it) {
        Prototype p;
        p.name = (*it)[2];
        p.result = typeOf((*it)[1]);
        std::stringstream list((*it)[3].str());
        for (std::string item; std::getline(list, item, ',');) {
            const size_t last = item.find_last_not_of(" \t\n");
            if (last == std::string::npos) continue;
            item.erase(last + 1);
            if (item.find_first_not_of(" \t\n") == item.find("void") && item.find('*') == std::string::npos) continue;
            const size_t nameStart = item.find_last_of(" \t\n*") + 1;
            const std::string name = item.substr(nameStart), typeText = item.substr(0, nameStart);
            const Type type = typeOf(typeText);
            // Only blocks from DRO_Alloc may be freed: anything else is the host's fault.
            const Kind kind = p.name == "DRO_Free" ? Kind::Callback : kindOf(type, typeText, name);
            p.parameters.push_back({type, kind});
        }
        out[p.name] = p;
    }
    return out;
}

std::vector<std::string> listedExports() {
    std::vector<std::string> names;
    std::ifstream list(DROVANE_EXPORTS_LIST);
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line[0] != '#') names.push_back(line);
    }
    return names;
}

// One argument value, held so that libffi can point at it.
struct Value {
    int64_t integer = 0;
    float real = 0;
    void* pointer = nullptr;
};

constexpr size_t kBlockBytes = size_t(64) << 20;

std::vector<Value> valuesOf(Kind kind, void* block) {
    auto ints = [](std::initializer_list<int64_t> list) {
        std::vector<Value> out;
        for (int64_t v : list) out.push_back({v, 0, nullptr});
        return out;
    };
    static std::string longText(3000, 'x');
    static const char* texts[] = {"", "Normal", "/nonexistent/folder/file.png", "relative.png", longText.c_str()};
    switch (kind) {
        case Kind::Place: return ints({1, INT_MIN, -100000, -1, 0, 63, 64, 271, 272, 100000, INT_MAX});
        case Kind::Extent: return ints({3, INT_MIN, -1, 0});
        case Kind::Pitch: return ints({512, 0});
        case Kind::Number: return ints({1, INT_MIN, -1, 0, 2, 255, 1000, 65536, INT_MAX});
        case Kind::Byte: return ints({1, 0, 255});
        case Kind::Real: {
            std::vector<Value> out;
            for (float f : {1.0f, 0.0f, -1.0f, NAN, INFINITY, 1e30f}) out.push_back({0, f, nullptr});
            return out;
        }
        case Kind::Block: return {{0, 0, block}, {0, 0, nullptr}};
        case Kind::Text: {
            std::vector<Value> out;
            for (const char* t : texts) out.push_back({0, 0, const_cast<char*>(t)});
            out.push_back({0, 0, nullptr});
            return out;
        }
        case Kind::Callback: return {{0, 0, nullptr}};
    }
    return {};
}

ffi_type* ffiType(Type t) {
    switch (t) {
        case Type::Int32: return &ffi_type_sint32;
        case Type::IntPtr: return &ffi_type_sint64;
        case Type::Byte: return &ffi_type_uint8;
        case Type::Float: return &ffi_type_float;
        case Type::Pointer: return &ffi_type_pointer;
        case Type::Void: return &ffi_type_void;
    }
    return &ffi_type_void;
}

enum class Phase { BeforeCanvas, WithCanvas, AfterDelete };

struct Engine {
    void* library = nullptr;
    template <class F>
    F get(const char* name) {
        return reinterpret_cast<F>(dlsym(library, name));
    }
    void setUp(Phase phase) {
        get<void (*)()>("DRO_DeleteImage")();
        if (phase == Phase::BeforeCanvas) return;
        get<void (*)(void*, int32_t, int32_t, int32_t, int32_t)>("DRO_CreateImage")(nullptr, 64, 48, 32, 0);
        for (int i = 1; i <= 3; ++i) get<int32_t (*)(int32_t, int32_t, int32_t)>("DRO_CreateLayer")(i, 64, 48);
        get<void (*)(int32_t)>("DRO_SetLayer")(1);
        if (phase == Phase::AfterDelete) get<void (*)()>("DRO_DeleteImage")();
    }
};

// Runs one group of exports in one phase; the call under way is kept in `current` so
// that the parent can name it if the process dies.
void runGroup(const std::vector<std::string>& names, Phase phase, const std::string& progressPath) {
    Engine engine{dlopen(DROVANE_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL)};
    if (!engine.library) std::_Exit(3);
    const auto prototypes = headerPrototypes();
    void* block = std::calloc(1, kBlockBytes);
    for (const std::string& name : names) {
        const auto found = prototypes.find(name);
        void* function = dlsym(engine.library, name.c_str());
        if (found == prototypes.end() || !function) continue;
        const Prototype& p = found->second;
        std::vector<ffi_type*> types;
        for (const Parameter& parameter : p.parameters) types.push_back(ffiType(parameter.type));
        ffi_cif cif;
        if (ffi_prep_cif(&cif, FFI_DEFAULT_ABI, static_cast<unsigned>(types.size()), ffiType(p.result),
                         types.data()) != FFI_OK)
            continue;
        std::vector<std::vector<Value>> choices;
        for (const Parameter& parameter : p.parameters) choices.push_back(valuesOf(parameter.kind, block));
        // Every value of every argument once, the others at their first (sane) value.
        auto call = [&](size_t varied, size_t pick) {
            std::vector<Value> held(choices.size());
            std::vector<int32_t> ints(choices.size());
            std::vector<uint8_t> bytes(choices.size());
            std::vector<void*> arguments(choices.size());
            std::string description = name + "(";
            for (size_t a = 0; a < choices.size(); ++a) {
                held[a] = choices[a][a == varied ? pick : 0];
                const Type t = p.parameters[a].type;
                ints[a] = static_cast<int32_t>(held[a].integer);
                bytes[a] = static_cast<uint8_t>(held[a].integer);
                arguments[a] = t == Type::Int32    ? static_cast<void*>(&ints[a])
                               : t == Type::IntPtr ? static_cast<void*>(&held[a].integer)
                               : t == Type::Byte   ? static_cast<void*>(&bytes[a])
                               : t == Type::Float  ? static_cast<void*>(&held[a].real)
                                                   : static_cast<void*>(&held[a].pointer);
                description += (a ? ", " : "") + (t == Type::Pointer ? std::string(held[a].pointer ? "ptr" : "null")
                                                  : t == Type::Float ? std::to_string(held[a].real)
                                                                     : std::to_string(held[a].integer));
            }
            std::ofstream(progressPath, std::ios::trunc) << description << ")";
            engine.setUp(phase);
            uint64_t result[2] = {};
            ffi_call(&cif, FFI_FN(function), result, arguments.data());
        };
        if (choices.empty()) call(0, 0);
        for (size_t varied = 0; varied < choices.size(); ++varied) {
            for (size_t pick = varied == 0 ? 0 : 1; pick < choices[varied].size(); ++pick) call(varied, pick);
        }
    }
    engine.setUp(Phase::BeforeCanvas);
    std::free(block);
}

constexpr size_t kGroupSize = 24;
constexpr const char* kChildVariable = "DROVANE_EXPORT_MATRIX_CHILD";

// Runs this test binary as a child for one group and phase; the failure text or "".
std::string runChild(size_t group, Phase phase) {
    const auto scratch = std::filesystem::temp_directory_path() /
                         ("drovane_matrix_" + std::to_string(getpid()) + "_" + std::to_string(group) + "_" +
                          std::to_string(static_cast<int>(phase)));
    std::filesystem::create_directories(scratch);
    const std::string progress = (scratch / "progress").string();
    const std::string setting = std::string(kChildVariable) + "=" + std::to_string(group) + "," +
                                std::to_string(static_cast<int>(phase)) + "," + progress;
    // Blocks DRO_Alloc hands out are the host's to free, and the matrix never frees them;
    // a huge request must come back null as it does without the sanitizer.
    std::vector<std::string> environment = {setting, "ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1"};
    for (char** e = environ; *e; ++e) {
        if (std::string_view(*e).rfind("ASAN_OPTIONS=", 0) != 0) environment.push_back(*e);
    }
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=ExportMatrix.ChildRun";
    char* argv[] = {self.data(), filter.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, (scratch / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(scratch);  // files the exports write land here
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, envp.data());
    std::filesystem::current_path(cwd);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return "could not start a child";
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return "hung in " + readText(progress.c_str());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::string failure;
    if (WIFSIGNALED(status)) {
        failure = "signal " + std::to_string(WTERMSIG(status)) + " in " + readText(progress.c_str());
    } else if (WEXITSTATUS(status) != 0) {
        const std::string log = readText((scratch / "stderr").c_str());
        failure = "exit " + std::to_string(WEXITSTATUS(status)) + " in " + readText(progress.c_str()) + "\n" +
                  log.substr(0, 3000);
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return failure;
}

std::vector<std::vector<std::string>> groups() {
    const auto names = listedExports();
    std::vector<std::vector<std::string>> out;
    for (size_t i = 0; i < names.size(); i += kGroupSize) {
        out.emplace_back(names.begin() + static_cast<std::ptrdiff_t>(i),
                         names.begin() + static_cast<std::ptrdiff_t>(std::min(names.size(), i + kGroupSize)));
    }
    return out;
}

void runPhase(Phase phase) {
    const auto all = groups();
    ASSERT_GT(all.size(), 3u);
    for (size_t g = 0; g < all.size(); ++g) {
        const std::string failure = runChild(g, phase);
        EXPECT_EQ(failure, "") << "group starting " << all[g].front();
    }
}

}  // namespace

// The child's side: runs only when started by runChild.
TEST(ExportMatrix, ChildRun) {
    const char* setting = std::getenv(kChildVariable);
    if (!setting) GTEST_SKIP() << "runs only as a child of the matrix";
    size_t group = 0;
    int phase = 0;
    char progress[4096] = {};
    ASSERT_EQ(std::sscanf(setting, "%zu,%d,%4095s", &group, &phase, progress), 3);
    const auto all = groups();
    ASSERT_LT(group, all.size());
    runGroup(all[group], static_cast<Phase>(phase), progress);
}

TEST(ExportMatrix, EveryExportSurvivesHostileArgumentsBeforeACanvas) { runPhase(Phase::BeforeCanvas); }
TEST(ExportMatrix, EveryExportSurvivesHostileArgumentsWithACanvas) { runPhase(Phase::WithCanvas); }
TEST(ExportMatrix, EveryExportSurvivesHostileArgumentsAfterDeleteImage) { runPhase(Phase::AfterDelete); }
