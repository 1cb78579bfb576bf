#include "platform/fake/fake_shell.h"

namespace dw {

std::string FakeShell::SpecialFolderPath(int csidl) {
  const auto it = folders.find(csidl);
  return it != folders.end() ? it->second : std::string();
}

ShortcutResult FakeShell::SaveShortcut(const std::string& linkPath, const ShortcutLink& link) {
  if (!linkObjectAvailable) return ShortcutResult::NoLinkObject;
  saves.push_back({linkPath, link});
  if (saveFails) return ShortcutResult::NotSaved;
  files[linkPath] = link;
  return ShortcutResult::Saved;
}

bool FakeShell::Open(const std::string& target) {
  opened.push_back(target);
  return !openFails;
}

FakeFileSystem::FakeFileSystem() { directories.insert(Normalise("C:\\")); }

std::string FakeFileSystem::Normalise(const std::string& path) {
  std::string n = path;
  while (!n.empty() && (n.back() == '\\' || n.back() == '/')) n.pop_back();
  for (char& c : n) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == '/') c = '\\';
  }
  return n;
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& content) {
  files[Normalise(path)] = content;
}

bool FakeFileSystem::DirectoryExists(const std::string& path) {
  return directories.count(Normalise(path)) != 0;
}

bool FakeFileSystem::MakeDirectory(const std::string& path) {
  madeDirectories.push_back(path);
  const std::string n = Normalise(path);
  const auto slash = n.find_last_of('\\');
  const std::string parent = slash == std::string::npos ? std::string() : n.substr(0, slash);
  if (makeDirectoryFails || directories.count(n) != 0 || files.count(n) != 0 ||
      directories.count(parent) == 0) {
    return false;
  }
  directories.insert(n);
  return true;
}

bool FakeFileSystem::CopyReplacing(const std::string& from, const std::string& to) {
  copies.emplace_back(from, to);
  const std::string source = Normalise(from);
  const std::string target = Normalise(to);
  const auto it = files.find(source);
  const auto slash = target.find_last_of('\\');
  if (it == files.end() || locked.count(target) != 0 || source == target ||
      slash == std::string::npos || directories.count(target.substr(0, slash)) == 0) {
    return false;
  }
  files[target] = it->second;
  return true;
}

}  // namespace dw
