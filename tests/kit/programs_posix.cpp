// Running a program on POSIX systems.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/kit/files.h"
#include "tests/kit/programs.h"

extern char** environ;

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const std::vector<std::string>& env) {
    ScratchDir capture;
    const std::string outPath = capture / "out", errPath = capture / "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());

    // The environment, with the given variables replacing those of that name.
    std::vector<std::string> variables(env);
    for (char** e = environ; *e != nullptr; ++e) {
        const char* eq = std::strchr(*e, '=');
        const std::string name(*e, eq != nullptr ? static_cast<std::size_t>(eq - *e) : 0);
        bool replaced = false;
        for (const std::string& v : env)
            replaced = replaced || v.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced) variables.emplace_back(*e);
    }
    std::vector<char*> envp, argv;
    for (std::string& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int failed =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("cannot start " + program);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadBytes(outPath);
    run.err = ReadBytes(errPath);
    return run;
}
