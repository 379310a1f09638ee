// The wall time of starting a program and waiting for its end, for start-up costs of a
// millisecond or less that a shell's timer cannot see.
//   spawn_bench RUNS CMD [ARGS...] [-- CMD [ARGS...]]...
// runs the commands in turns, RUNS times each, output to /dev/null, and prints the median
// seconds of each, one line per command.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// Seconds from the spawn to the end of the child, or a negative number when it failed.
double TimeOne(std::vector<char*>& argv, const posix_spawn_file_actions_t& actions) {
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 2 ? std::atoi(argv[1]) : 0;
    if (runs < 1) {
        std::fputs("usage: spawn_bench RUNS CMD [ARGS...] [-- CMD [ARGS...]]...\n", stderr);
        return 2;
    }
    std::vector<std::vector<char*>> commands(1);
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--")
            commands.emplace_back();
        else
            commands.back().push_back(argv[i]);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<std::vector<double>> times(commands.size());
    for (auto& command : commands)
        command.push_back(nullptr);
    for (int run = 0; run < runs; ++run) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const double t = TimeOne(commands[c], actions);
            if (t < 0) {
                std::fprintf(stderr, "spawn_bench: %s failed\n", commands[c][0]);
                return 1;
            }
            times[c].push_back(t);
        }
    }
    for (auto& t : times) {
        std::nth_element(t.begin(), t.begin() + t.size() / 2, t.end());
        std::printf("%.6f\n", t[t.size() / 2]);
    }
    return 0;
}
