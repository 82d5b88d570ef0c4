#pragma once
// A small registry of our own: keys with string values, stored as a text file
// in the user's configuration folder ($XDG_CONFIG_HOME/Kestrovane/registry.ini
// by default). Key paths use "\" as on Windows and compare case-insensitively;
// the root ("HKEY_CLASSES_ROOT", "HKEY_LOCAL_MACHINE") is the first component.
// Value names compare case-insensitively too. Empty components are ignored;
// "HKCR", "HKCU" and "HKLM" stand for their roots.
#include <map>
#include <optional>
#include <string>

class Registry {
 public:
  // Opens the store at `file` (empty: the default place) and reads it; a
  // missing or unreadable file gives an empty registry.
  explicit Registry(std::string file = {});
  // The default store: $XDG_CONFIG_HOME (else ~/.config) + "/Kestrovane/registry.ini".
  static std::string DefaultFile();

  // True for a key that was created or written, and for every key above one.
  bool KeyExists(const std::string& key) const;
  // Creates the key (with no values) when missing.
  void CreateKey(const std::string& key);
  // "" names the key's default value.
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) const;
  void WriteString(const std::string& key, const std::string& name, const std::string& value);
  // Moves a key with everything below it; the old key is removed. Nothing
  // happens (false) when `from` does not exist, when `to` already exists (its
  // contents are kept) or when `to` lies below `from`.
  bool MoveKey(const std::string& from, const std::string& to);
  // Writes the store atomically, creating its folder. False on failure.
  bool Save() const;
  const std::string& File() const { return file_; }
  // The store's bytes as Save writes them.
  std::string Text() const;

 private:
  struct Value {
    std::string name;  // first spelling
    std::string data;
  };
  struct Key {
    std::string name;                     // first spelling of the whole path
    std::map<std::string, Value> values;  // by folded value name
  };
  void Parse(const std::string& text);
  Key& Create(const std::string& key);

  std::string file_;
  std::map<std::string, Key> keys_;  // by folded path
};
