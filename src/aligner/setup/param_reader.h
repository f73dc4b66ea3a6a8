#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

// Turns option words into a map from option name (without dashes) to value
// text. A flag that was given reads back as the one-character BLANK string.
class param_reader {
public:
  static const char BLANK = '\n';

  std::map<std::string, std::string> params_map;
  std::string single_char;               // one-letter flags
  std::string single_char_exist;         // every one-letter option
  std::set<std::string> multi_set;       // long flags
  std::set<std::string> multi_set_exist; // every long option

  param_reader(const std::string &single_char,
               const std::vector<std::string> &multi_set,
               const std::string &single_char_exist,
               const std::vector<std::string> &multi_set_exist);

  // 0 when every word was consumed, else the 1-based position of the word
  // at which parsing stopped. The first occurrence of an option wins.
  int add_params(const std::vector<std::string> &args);
  // Value text of an option, "" when it was not given.
  std::string get_val(const std::string &name) const;
  // True when the option was given, with its value text in `value`. An
  // empty word given as the value reads back as given and empty, where
  // get_val cannot tell it from an option that is absent.
  bool find_val(const std::string &name, std::string &value) const;
};
