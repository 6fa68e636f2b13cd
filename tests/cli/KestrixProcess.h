#pragma once
// Runs the built kestrix program as a user's script would: arguments, standard input from a
// pipe, standard output and error captured, in a folder of the test's own.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "files/Files.h"
#include "memhost/model/Book.h"

extern char** environ;

namespace kx::testing {

struct Finished {
  int status = -1;
  std::string out;
  std::string err;
};

class KestrixProcess {
 public:
  // `env` entries ("PATH=/nonexistent") are added to the environment. `program` is kestrix
  // unless a test runs it through another program.
  KestrixProcess(const std::vector<std::string>& args, const std::filesystem::path& folder,
                 const std::vector<std::string>& env = {}, const char* program = KX_KESTRIX) {
    int in[2], out[2], err[2];
    EXPECT_EQ(pipe(in), 0);
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      posix_spawn_file_actions_addclose(&actions, fd);
    }
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<std::string> argStore{program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStore;
    // The given entries replace inherited ones of the same name (a second PATH would be ignored).
    auto overridden = [&](std::string_view entry) {
      if (entry.rfind("NO_COLOR=", 0) == 0) return true;
      for (const std::string& own : env) {
        if (entry.substr(0, entry.find('=') + 1) == own.substr(0, own.find('=') + 1)) return true;
      }
      return false;
    };
    for (char** e = environ; *e; ++e) {
      if (!overridden(*e)) envStore.emplace_back(*e);
    }
    envStore.insert(envStore.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (auto& e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, program, &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
  }
  ~KestrixProcess() {
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  void Write(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n = write(in_, text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  }
  void CloseInput() {
    close(in_);
    in_ = -1;
  }
  int ErrorPipe() const { return err_; }
  // The test waited for the process itself.
  void MarkReaped() { reaped_ = true; }
  pid_t Pid() const { return pid_; }
  // Reads standard error byte by byte until a whole line satisfies `wanted`; returns it (empty
  // when the output ended first). Nothing after that line is read.
  std::string ReadErrorLineUntil(const std::function<bool(const std::string&)>& wanted) {
    std::string line;
    char c = 0;
    while (read(err_, &c, 1) == 1) {
      if (c != '\n') {
        line += c;
        continue;
      }
      earlyErr_ += line + "\n";
      if (wanted(line)) return line;
      line.clear();
    }
    return {};
  }
  // Closes input, reads both outputs to their end and waits for the exit status.
  Finished Wait() {
    if (in_ >= 0) CloseInput();
    Finished done;
    done.err = earlyErr_;
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
      if (poll(fds, 2, -1) < 0) continue;
      for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) continue;
        ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n <= 0) {
          close(fds[i].fd);
          (i == 0 ? out_ : err_) = -1;
          fds[i].fd = -1;
          --open;
        } else {
          (i == 0 ? done.out : done.err).append(buffer, static_cast<size_t>(n));
        }
      }
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    done.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return done;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  bool reaped_ = false;
  std::string earlyErr_;
};

// A folder of the test's own, emptied at the start, with helpers for workbooks in it.
class KestrixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder =
        std::filesystem::temp_directory_path() / ("kestrix-" + std::to_string(getpid()) + "-" +
                                                  info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override {
    if (!HasFailure()) std::filesystem::remove_all(folder);
  }

  Finished Run(const std::vector<std::string>& args, const std::string& input = "",
               const std::vector<std::string>& env = {}) {
    KestrixProcess process(args, folder, env);
    process.Write(input);
    return process.Wait();
  }

  // Writes a one-sheet workbook whose columns are given top to bottom from row 1; "" is a blank
  // cell, text that reads as a number is stored as a number.
  std::string MakeBook(const std::string& name,
                       const std::vector<std::vector<std::string>>& columns) {
    memhost::Book book("Book1");
    auto& sheet = book.AddSheet("Sheet1");
    for (size_t c = 0; c < columns.size(); ++c) {
      for (size_t r = 0; r < columns[c].size(); ++r) {
        const std::string& text = columns[c][r];
        if (text.empty()) continue;
        memhost::Cell cell;
        char* end = nullptr;
        const double number = std::strtod(text.c_str(), &end);
        cell.value = *end == '\0' ? host::Variant(number) : host::Variant(text);
        sheet.LoadCell({static_cast<int>(r + 1), static_cast<int>(c + 1)}, cell);
      }
    }
    const std::string path = (folder / name).string();
    EXPECT_TRUE(files::SaveWorkbook(book, path).ok());
    return path;
  }

  // The text each cell of a column holds, rows 1..rows; "" for a blank.
  std::vector<std::string> Column(const std::string& name, int column, int rows) {
    auto book = files::OpenWorkbook((folder / name).string());
    std::vector<std::string> texts;
    if (!book.ok()) {
      ADD_FAILURE() << book.error().message;
      return texts;
    }
    const auto& sheet = *book.value()->sheets[0];
    for (int r = 1; r <= rows; ++r) {
      const memhost::Cell* cell = sheet.CellAt({r, column});
      if (cell == nullptr || cell->value.IsEmpty()) {
        texts.emplace_back();
      } else if (cell->value.IsNumber()) {
        std::ostringstream number;
        number << cell->value.AsNumber();
        texts.push_back(number.str());
      } else {
        texts.push_back(cell->value.IsText() ? cell->value.AsText() : "?");
      }
    }
    return texts;
  }

  std::string Bytes(const std::string& name) {
    std::ifstream in(folder / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> FilesInFolder() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path folder;
};

}  // namespace kx::testing
