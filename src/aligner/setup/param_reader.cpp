#include "aligner/setup/param_reader.h"

#include <iostream>

param_reader::param_reader(const std::string &single_char_,
                           const std::vector<std::string> &multi_set_,
                           const std::string &single_char_exist_,
                           const std::vector<std::string> &multi_set_exist_)
    : single_char(single_char_), single_char_exist(single_char_exist_),
      multi_set(multi_set_.begin(), multi_set_.end()),
      multi_set_exist(multi_set_exist_.begin(), multi_set_exist_.end()) {}

namespace {

// Stores the word after `i` as the value of `name`; false when there is none.
bool take_value(const std::vector<std::string> &args, size_t &i, int &pos,
                const std::string &name,
                std::map<std::string, std::string> &map) {
  if (i + 1 >= args.size()) {
    std::cerr << "Option needs Argument: " << name << "\n";
    return false;
  }
  map.insert({name, args[i + 1]});
  i++;
  pos++;
  return true;
}

} // namespace

int param_reader::add_params(const std::vector<std::string> &args) {
  if (args.empty())
    return 0;
  const std::string blank(1, BLANK);
  int pos = 1;
  for (size_t i = 0;; i++, pos++) {
    const std::string &word = args[i];
    if (word.size() < 2 || word[0] != '-')
      return pos;
    if (word[1] == '-') {
      std::string name = word.substr(2);
      if (!multi_set_exist.count(name)) {
        std::cerr << "Option doesn't exist: " << name << "\n";
        return pos;
      }
      if (multi_set.count(name))
        params_map.insert({name, blank});
      else if (!take_value(args, i, pos, name, params_map))
        return pos;
    } else {
      for (size_t j = 1; j < word.size(); j++) {
        std::string letter(1, word[j]);
        bool last = j + 1 == word.size();
        if (single_char_exist.find(word[j]) == std::string::npos) {
          std::cerr << "Option doesn't exist: " << letter << "\n";
          return pos;
        }
        if (single_char.find(word[j]) != std::string::npos) {
          params_map.insert({letter, blank});
        } else if (!last) {
          std::cerr << "Option needs Argument: " << letter << "\n";
          return pos;
        } else if (!take_value(args, i, pos, letter, params_map)) {
          return pos;
        }
      }
    }
    if (i + 1 >= args.size())
      return 0;
  }
}

std::string param_reader::get_val(const std::string &name) const {
  auto it = params_map.find(name);
  return it == params_map.end() ? std::string() : it->second;
}

bool param_reader::find_val(const std::string &name, std::string &value) const {
  auto it = params_map.find(name);
  if (it == params_map.end())
    return false;
  value = it->second;
  return true;
}
