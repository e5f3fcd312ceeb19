// bench_control.cpp: benchctl's commands over a bench file, each under the file's lock.
#include "bench/bench_control.h"


namespace lt::bench {
namespace {

bool parseRevisionOption(const std::vector<std::string>& args, std::size_t from, uint32_t& revision,
                         std::string& error) {
    revision = kRevisionWithDescriptors;
    for (std::size_t i = from; i < args.size(); ++i) {
        SimAdapter probe;
        if (args[i].rfind("revision=", 0) != 0) {
            error = "unknown option \"" + args[i] + "\" (only revision=0x200|0x100)";
            return false;
        }
        if (!applyAdapterSetting(probe, args[i], false, error)) return false;
        revision = probe.revision;
    }
    return true;
}

bool parseCount(const std::string& text, uint64_t max, uint64_t& value) { return parseNumber(text, max, value); }

}  // namespace

std::string benchctlUsage() {
    return "usage: benchctl BENCH create N [revision=0x200|0x100]   new bench file with N fresh adapters\n"
           "       benchctl BENCH plug N [revision=...]             attach N more fresh adapters\n"
           "       benchctl BENCH unplug K|all                      detach adapter K (later ones renumber) or all\n"
           "       benchctl BENCH set K|all NAME=VALUE ...          adapter properties and faults\n"
           "       benchctl BENCH driver NAME=VALUE ...             driver-wide properties and faults\n"
           "       benchctl BENCH show                              one line per adapter\n" +
           settingsUsage();
}

int runBenchctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, LockTiming timing) {
    auto usage = [&](const std::string& why) {
        err << "benchctl: " << why << "\n" << benchctlUsage();
        return kBenchctlUsage;
    };
    auto refuse = [&](const std::string& why) {
        err << "benchctl: " << why << "; the bench is unchanged\n";
        return kBenchctlUsage;
    };
    if (args.size() < 2) return usage("missing arguments");
    const std::string& path = args[0];
    const std::string& command = args[1];

    // Everything the command changes is decided before anything is written.
    std::string error;
    uint64_t number = 0;
    uint32_t revision = kRevisionWithDescriptors;
    if (command == "create" || command == "plug") {
        if (args.size() < 3 || !parseCount(args[2], kMaxAdapters, number))
            return usage(command + " needs a number of adapters from 0 to " + std::to_string(kMaxAdapters));
        if (!parseRevisionOption(args, 3, revision, error)) return refuse(error);
    } else if (command == "unplug") {
        if (args.size() != 3) return usage("unplug needs K or all");
    } else if (command == "set") {
        if (args.size() < 4) return usage("set needs K or all and at least one NAME=VALUE");
    } else if (command == "driver") {
        if (args.size() < 3) return usage("driver needs at least one NAME=VALUE");
    } else if (command == "show") {
        if (args.size() != 2) return usage("show takes no arguments");
    } else {
        return usage("unknown command \"" + command + "\"");
    }

    BenchLock lock(path, timing);
    if (lock.folderMissing()) {
        err << "benchctl: the folder of the bench file " << path << " does not exist\n";
        return kBenchctlFileError;
    }
    if (!lock.held()) {
        err << "benchctl: the bench file " << path << " stays locked by another program\n";
        return kBenchctlFileError;
    }

    Bench bench;
    if (command != "create") {
        const BenchFileStatus status = readBenchFile(path, bench, error);
        if (status != BenchFileStatus::ok) {
            err << "benchctl: " << error << "\n";
            return kBenchctlFileError;
        }
    }
    const std::string before = command == "create" ? std::string() : formatBench(bench);

    if (command == "create" || command == "plug") {
        if (command == "create") bench = Bench{};
        if (bench.adapters.size() + number > kMaxAdapters)
            return refuse("a bench holds at most " + std::to_string(kMaxAdapters) + " adapters");
        for (uint64_t i = 0; i < number; ++i) bench.adapters.push_back(freshAdapter(revision));
    } else if (command == "unplug") {
        if (args[2] == "all") {
            bench.adapters.clear();
        } else {
            if (!parseCount(args[2], kMaxAdapters, number) || number == 0 || number > bench.adapters.size())
                return refuse("no adapter \"" + args[2] + "\" (the bench has " + std::to_string(bench.adapters.size()) +
                             ")");
            bench.adapters.erase(bench.adapters.begin() + std::ptrdiff_t(number - 1));
        }
    } else if (command == "set") {
        std::size_t first = 0, last = bench.adapters.size();
        if (args[2] != "all") {
            if (!parseCount(args[2], kMaxAdapters, number) || number == 0 || number > bench.adapters.size())
                return refuse("no adapter \"" + args[2] + "\" (the bench has " + std::to_string(bench.adapters.size()) +
                             ")");
            first = number - 1;
            last = number;
        }
        for (std::size_t k = first; k < last; ++k)
            for (std::size_t i = 3; i < args.size(); ++i)
                if (!applyAdapterSetting(bench.adapters[k], args[i], false, error)) return refuse(error);
        if (first == last) {  // "all" on an empty bench: still check the settings
            SimAdapter probe;
            for (std::size_t i = 3; i < args.size(); ++i)
                if (!applyAdapterSetting(probe, args[i], false, error)) return refuse(error);
        }
    } else if (command == "driver") {
        for (std::size_t i = 2; i < args.size(); ++i)
            if (!applyDriverSetting(bench.driver, args[i], false, error)) return refuse(error);
    } else {  // show
        for (std::size_t k = 0; k < bench.adapters.size(); ++k) out << showLine(bench.adapters[k], k + 1) << "\n";
        return kBenchctlOk;
    }

    const std::string text = formatBench(bench);
    if (text == before) return kBenchctlOk;  // nothing changed: the file stays as it is
    if (writeBenchFile(path, text, error) != BenchFileStatus::ok) {
        err << "benchctl: " << error << "\n";
        return kBenchctlFileError;
    }
    return kBenchctlOk;
}

}  // namespace lt::bench
