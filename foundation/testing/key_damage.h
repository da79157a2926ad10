#pragma once
// Damages drawn from a file kind's own key table: the keys its reader registers while it
// opens a sound file of that kind (TRead1NF::WatchKeys). For every key and every damage a
// hand or a disk can do to it, the open must name the key with its line or refuse the
// file, and (where the kind is saved) the next save must keep every other value the file
// gave. A key added to a reader later is in the domain without a new row.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/text_functions.h"

struct TOpenOutcome {
  bool refused = false;
  std::string told;   // every message the open gave
  std::string saved;  // the text the next save wrote (empty when the kind is not saved)
  bool readBack = false;  // saved is what was read, as text, of a kind that is not saved
};

// Opens the file at path as the program does (and saves it, when the kind is saved).
using TOpenKind = std::function<TOpenOutcome(const std::string &path)>;

namespace key_damage {

struct TItem {
  std::string header;  // lower case
  std::string key;     // lower case, blanks and index removed
  std::string written; // the key as written
  int line = 0;        // from 1
  std::size_t keyAt = 0, valueAt = 0, valueEnd = 0;  // offsets in the whole text
  int occurrence = 0;  // among the items of its header and key
};

inline std::string Lower(const std::string &text) { return LowerCaseAnsi(text); }

inline std::vector<TItem> ItemsOf(const std::string &text) {
  std::vector<TItem> items;
  std::map<std::string, int> seen;
  std::string header;
  int record = -1;  // a record's keys are known by their record, not by their count
  std::size_t start = 0;
  for (int line = 1; start < text.size(); ++line) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (text[start] == '[') {
      header = Lower(text.substr(start, text.find(']', start) + 1 - start));
      record = -1;
    } else {
      const bool inRecord = text[start] == '{';
      if (inRecord) ++record;
      bool quoted = false;
      std::size_t itemAt = start;
      for (std::size_t at = start; at <= end; ++at) {
        const char c = at < end ? text[at] : ';';
        if (c == '"') quoted = !quoted;
        if (quoted || (c != ';' && c != '{' && c != '}' && c != '!')) continue;
        const std::size_t equals = text.find('=', itemAt);
        if (equals < at) {
          TItem item;
          item.header = header;
          item.keyAt = text.find_first_not_of(" \t", itemAt);
          item.written = text.substr(item.keyAt, text.find_last_not_of(" \t", equals - 1) + 1 - item.keyAt);
          item.key = Lower(item.written.substr(0, item.written.find('(')));
          item.valueAt = text.find_first_not_of(" \t", equals + 1);
          if (item.valueAt > at) item.valueAt = at;
          item.valueEnd = at;
          while (item.valueEnd > item.valueAt && (text[item.valueEnd - 1] == ' ' || text[item.valueEnd - 1] == '\t'))
            --item.valueEnd;
          item.line = line;
          item.occurrence = inRecord ? record : seen[header + "|" + item.key]++;
          items.push_back(item);
        }
        if (c == '!') break;
        itemAt = at + 1;
      }
    }
    start = end + 1;
  }
  return items;
}

struct TDamage {
  std::string name;
  std::string text;
  bool cut = false;
  int lineAfter = 0;  // the line the damage stands on, past the item's
};

// Every damage the key's kind admits, done to one item of the sound text.
inline std::vector<TDamage> DamagesOf(const std::string &sound, const TItem &item, const TIdentificatorParameters &key) {
  const bool number = key.type == 'd' || key.type == 'f' || key.type == 'i' || key.type == 'l';
  const std::string value = sound.substr(item.valueAt, item.valueEnd - item.valueAt);
  auto replaced = [&](std::size_t from, std::size_t to, const std::string &with) {
    return sound.substr(0, from) + with + sound.substr(to);
  };
  std::vector<TDamage> damages;
  damages.push_back({"misspelt", replaced(item.keyAt, item.keyAt, "q")});
  // In a record the key comes again in the record; elsewhere on a line of its own, since an
  // unquoted text runs to the end of its line.
  const bool inRecord = sound.rfind('\n', item.keyAt) + 1 < sound.size() && sound[sound.rfind('\n', item.keyAt) + 1] == '{';
  const std::size_t lineEnd = std::min(sound.find('\n', item.valueEnd), sound.size());
  damages.push_back({"twice", inRecord ? replaced(item.valueEnd, item.valueEnd, "; " + item.written + "=" + value)
                                       : replaced(lineEnd, lineEnd, "\n" + item.written + "=" + value),
                     false, inRecord ? 0 : 1});
  if (key.required) {
    std::size_t end = sound.find_first_not_of(" \t;", item.valueEnd);
    damages.push_back({"left out", replaced(item.keyAt, end, "")});
  }
  // An empty text is a text (no file named); a number or a name always quoted is not.
  if (number || key.quoted) damages.push_back({"empty", replaced(item.valueAt, item.valueEnd, "")});
  if (number) {
    damages.push_back({"text", replaced(item.valueAt, item.valueEnd, "half")});
    damages.push_back({"not a number", replaced(item.valueAt, item.valueEnd, "nan")});
  }
  if (key.limited) {
    char beyond[32];
    std::snprintf(beyond, sizeof beyond, "%.17g", key.most + std::fmax(1.0, std::fabs(key.most)));
    damages.push_back({"out of range", replaced(item.valueAt, item.valueEnd, beyond)});
  }
  // The sound text shows what its writer quotes, whether or not the reader's table says so.
  if (value.size() > 2 && value.front() == '"')
    damages.push_back({"unquoted", replaced(item.valueAt, item.valueEnd, value.substr(1, value.size() - 2))});
  if (value.size() >= 2) damages.push_back({"cut inside the value", sound.substr(0, item.valueAt + 1), true});
  return damages;
}

// What a message about the damaged item says "is used" that the program does not use:
// the saved text gives the item that value (or leaves it out as 0); a kind not saved
// is not judged. Empty when every such value holds.
inline std::string UsedNotSo(const std::string &told, const TItem &damaged, const std::string &sound,
                             const std::string &saved) {
  const std::string lead = Lower(damaged.key);
  for (std::size_t at = told.find(" is used"); at != std::string::npos; at = told.find(" is used", at + 1)) {
    const std::size_t start = told.rfind(' ', at - 1) + 1, line = told.rfind('\n', at) + 1;
    const std::string used = told.substr(start, at - start);
    char *end = nullptr;
    const double value = std::strtod(used.c_str(), &end);
    if (saved.empty() || used.empty() || *end != '\0' || told.find(lead + "=", line) > at) continue;
    std::string given;
    for (const TItem &item : ItemsOf(saved))
      if (item.header == damaged.header && item.key == damaged.key && item.occurrence == damaged.occurrence)
        given = saved.substr(item.valueAt, item.valueEnd - item.valueAt);
    // A list, or a value the writer gives whatever was read, says nothing of what was used.
    if (given.find(',') != std::string::npos || given == sound.substr(damaged.valueAt, damaged.valueEnd - damaged.valueAt))
      continue;
    if (!saved.empty() && given.empty() && value == 0.0) continue;
    bool found = false;
    for (std::size_t from = 0; !found && from < given.size(); ++from) {
      const double part = std::strtod(given.c_str() + from, &end);
      found = end != given.c_str() + from && std::fabs(part - value) <= 1e-9 * std::fmax(1.0, std::fabs(value));
    }
    if (!found) return used + " is said to be used; the program uses " + (given.empty() ? "none" : given);
  }
  return std::string();
}

inline bool InRecord(const std::string &sound, const TItem &item) {
  return sound[sound.rfind('\n', item.keyAt) + 1] == '{';
}

// Whether every value the sound text gives, but the damaged one, is in the saved text.
inline std::string ValueLost(const std::string &sound, const TItem &damaged, const std::string &saved,
                             const std::multimap<std::string, std::string> &dependents) {
  std::map<std::string, std::string> written;
  for (const TItem &item : ItemsOf(saved))
    written[item.header + "|" + Lower(item.written) + "|" + std::to_string(item.occurrence)] =
        saved.substr(item.valueAt, item.valueEnd - item.valueAt);
  auto parts = [](std::string value) {
    std::vector<std::string> list;
    value += ',';
    for (std::size_t at = 0, comma; (comma = value.find(',', at)) != std::string::npos; at = comma + 1) {
      std::string part = value.substr(at, comma - at);
      part.erase(0, part.find_first_not_of(" \t\""));
      part.erase(part.find_last_not_of(" \t\"") + 1);
      // A writer spells a sign its reader would split at as %XX.
      for (std::size_t percent = part.find('%'); percent != std::string::npos && percent + 2 < part.size();
           percent = part.find('%', percent + 1))
        if (std::isxdigit(static_cast<unsigned char>(part[percent + 1])) &&
            std::isxdigit(static_cast<unsigned char>(part[percent + 2])))
          part.replace(percent, 3, 1, static_cast<char>(std::stoi(part.substr(percent + 1, 2), nullptr, 16)));
      list.push_back(Lower(part));
    }
    return list;
  };
  auto same = [](const std::string &a, const std::string &b) {
    char *endA = nullptr, *endB = nullptr;
    const double x = std::strtod(a.c_str(), &endA), y = std::strtod(b.c_str(), &endB);
    if (!a.empty() && !b.empty() && *endA == '\0' && *endB == '\0')
      return std::fabs(x - y) <= 1e-9 * std::fmax(1.0, std::fabs(x));  // printed to read back exactly
    return a == b;
  };
  for (const TItem &item : ItemsOf(sound)) {
    if (item.header == damaged.header && item.key == damaged.key && item.occurrence == damaged.occurrence) continue;
    bool dependent = false;
    for (auto [from, to] = dependents.equal_range(damaged.key); from != to; ++from)
      dependent |= from->second == item.key || from->second == item.header + "|" + item.key;
    if (dependent) continue;
    const std::string place = item.header + "|" + Lower(item.written) + "|" + std::to_string(item.occurrence);
    const std::vector<std::string> given = parts(sound.substr(item.valueAt, item.valueEnd - item.valueAt));
    const auto found = written.find(place);
    if (found == written.end()) {
      // A writer leaves out what is 0.
      for (const std::string &part : given)
        if (!same(part, "0") && !part.empty()) return place + " is no longer written";
      continue;
    }
    const std::vector<std::string> kept = parts(found->second);
    for (std::size_t k = 0; k < given.size(); ++k)
      if (k >= kept.size() || !same(given[k], kept[k])) return place + " was " + given[k] + ", saved as " + found->second;
  }
  return std::string();
}

}  // namespace key_damage

// The user's notes (quotes, separators, a comment mark, a record, blanks, a blank line) put
// before every header of the sound text and at its end: the file opens, and its next save
// writes them back byte for byte. Returns the number of files opened.
inline int CheckForeignSectionsKept(const std::string &kindName, const std::string &sound, const std::string &path,
                                    const TOpenKind &open) {
  const std::string notes = "[MyNotes]\nkeep=this; \"and; this\" ! no comment\n{ R=1; Glass=\"x\" }\n \tlast=1\n\n";
  std::vector<std::size_t> places{sound.size()};
  for (std::size_t start = 0; start < sound.size(); start = sound.find('\n', start) + 1) {
    if (sound[start] == '[') places.push_back(start);
    if (sound.find('\n', start) == std::string::npos) break;
  }
  for (std::size_t place : places) {
    const std::string text = sound.substr(0, place) + notes + sound.substr(place);
    std::FILE *out = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    const TOpenOutcome outcome = open(path);
    EXPECT_FALSE(outcome.refused) << kindName << ", notes at byte " << place << ": " << outcome.told;
    EXPECT_NE(outcome.saved.find(notes), std::string::npos)
        << kindName << ", notes at byte " << place << " are not saved as written:\n" << outcome.saved;
  }
  return static_cast<int>(places.size());
}

namespace key_damage {

// The lines of text, each with its line end.
inline std::vector<std::string> LinesOf(const std::string &text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// Whether told names a line ("line 12") of the file: the open said where the damage is.
inline bool NamesALine(const std::string &told) {
  for (std::size_t at = told.find("line "); at != std::string::npos; at = told.find("line ", at + 1))
    if (std::isdigit(static_cast<unsigned char>(told[at + 5 < told.size() ? at + 5 : at]))) return true;
  return false;
}

}  // namespace key_damage

// Every line of the sound text deleted, written twice and, for a record, without its
// braces, and a seeded sample of lines with one byte flipped: the open names a line or
// refuses the file, or the next save holds every value the damaged text gives (for a line
// deleted that gives a key the reader registers, the value the sound text gave). Returns
// the files opened.
inline int CheckEveryLineDamage(const std::string &kindName, const std::string &sound, const std::string &path,
                                const TOpenKind &open, const std::multimap<std::string, std::string> &dependents,
                                const std::set<std::pair<std::string, std::string>> &registered) {
  using namespace key_damage;
  const char *given = std::getenv("KEY_DAMAGE_SEED");
  const unsigned seed = given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : 110u;
  std::cout << kindName << ": bytes flipped with KEY_DAMAGE_SEED=" << seed << "\n";
  std::mt19937 random(seed);
  const std::vector<std::string> lines = LinesOf(sound);
  auto join = [](const std::vector<std::string> &parts) {
    std::string text;
    for (const std::string &part : parts) text += part;
    return text;
  };
  int opened = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool record = lines[i][0] == '{';
    // Records are alike: the first and last of a run and a sample between them.
    const bool firstOrLast = i == 0 || i + 1 == lines.size() || lines[i - 1][0] != '{' || lines[i + 1][0] != '{';
    if (record && !firstOrLast && random() % 4 != 0) continue;
    bool keyLine = false;
    for (const TItem &item : ItemsOf(sound))
      keyLine |= item.line == static_cast<int>(i) + 1 && registered.count({item.header, item.key}) != 0;
    // The damage, its text's lines, and whether the sound text is what the save must hold.
    std::vector<std::tuple<std::string, std::vector<std::string>, bool>> damages;
    std::vector<std::string> changed = lines;
    changed.erase(changed.begin() + static_cast<std::ptrdiff_t>(i));
    damages.emplace_back("deleted", changed, keyLine && !record);
    changed = lines;
    changed.insert(changed.begin() + static_cast<std::ptrdiff_t>(i), lines[i]);
    damages.emplace_back("written twice", changed, false);
    const std::size_t close = lines[i].rfind('}');
    if (record && close != std::string::npos) {
      changed = lines;
      changed[i] = lines[i].substr(1, close - 1) + lines[i].substr(close + 1);
      damages.emplace_back("without braces", changed, false);
    }
    if (random() % 3 == 0) {
      changed = lines;
      const std::size_t at = random() % lines[i].size();
      changed[i][at] = static_cast<char>(changed[i][at] ^ (1 << (random() % 8)));
      damages.emplace_back("byte " + std::to_string(at) + " flipped to " + std::to_string(static_cast<unsigned char>(changed[i][at])),
                           changed, false);
    }
    for (const auto &[name, damagedLines, soundHeld] : damages) {
      SCOPED_TRACE(kindName + ", line " + std::to_string(i + 1) + " \"" + lines[i].substr(0, lines[i].size() - 1) +
                   "\" " + name + " (KEY_DAMAGE_SEED=" + std::to_string(seed) + ")");
      const std::string damaged = join(damagedLines);
      std::FILE *out = std::fopen(path.c_str(), "wb");
      std::fwrite(damaged.data(), 1, damaged.size(), out);
      std::fclose(out);
      const TOpenOutcome outcome = open(path);
      ++opened;
      if (outcome.refused || NamesALine(Lower(outcome.told))) continue;
      if (outcome.saved.empty()) continue;
      EXPECT_EQ(ValueLost(soundHeld ? sound : damaged, TItem{}, outcome.saved, dependents), "") << outcome.saved;
    }
  }
  return opened;
}

// Runs every damage of every key the reader registers while opening the sound text (and
// that the text gives a value), then every damage of every line (CheckEveryLineDamage).
// Returns the number of damaged files opened.
// dependents: keys (lower case, or "[section]|key") whose values mean nothing without the
// damaged key's ("lambda" -> "weight": the weights of wavelengths lost), not held to be
// kept; under "" those no line damage holds to be kept.
inline int CheckEveryKeyDamage(const std::string &kindName, const std::string &sound, const std::string &path,
                               const TOpenKind &open, const std::multimap<std::string, std::string> &dependents = {}) {
  using namespace key_damage;
  std::map<std::pair<std::string, std::string>, TIdentificatorParameters> table;
  TRead1NF::WatchKeys([&table](const std::string &header, const TIdentificatorParameters &key) {
    table.emplace(std::make_pair(Lower(header), key.name), key);
  });
  {
    std::FILE *out = std::fopen(path.c_str(), "wb");
    std::fwrite(sound.data(), 1, sound.size(), out);
    std::fclose(out);
  }
  const TOpenOutcome whole = open(path);
  TRead1NF::WatchKeys(nullptr);
  EXPECT_FALSE(whole.refused) << kindName << ": the sound file is refused: " << whole.told;
  EXPECT_EQ(whole.told, "") << kindName << ": the sound file is told of";
  EXPECT_FALSE(table.empty()) << kindName << ": no key table";
  // A kind that is saved keeps the sections no reader of it takes.
  int opened = whole.saved.empty() || whole.readBack ? 0 : CheckForeignSectionsKept(kindName, sound, path, open);
  std::set<std::pair<std::string, std::string>> done;
  for (const TItem &item : ItemsOf(sound)) {
    const auto key = table.find({item.header, item.key});
    if (key == table.end() || !done.insert(key->first).second) continue;
    for (const TDamage &damage : DamagesOf(sound, item, key->second)) {
      SCOPED_TRACE(kindName + ", " + item.header + " " + item.written + ", line " + std::to_string(item.line) +
                   ": " + damage.name);
      std::FILE *out = std::fopen(path.c_str(), "wb");
      std::fwrite(damage.text.data(), 1, damage.text.size(), out);
      std::fclose(out);
      const TOpenOutcome outcome = open(path);
      ++opened;
      if (outcome.refused) continue;
      const std::string told = Lower(outcome.told);
      const bool named = told.find(Lower(item.key)) != std::string::npos &&
                         told.find("line " + std::to_string(item.line + damage.lineAfter)) != std::string::npos;
      const bool cutTold = damage.cut && told.find("cut short") != std::string::npos;
      if (damage.name != "unquoted") {
        EXPECT_TRUE(named || cutTold) << outcome.told;
      }
      // A list's slot left unread says nothing of the list the program then makes.
      if (key->second.capacity == 1 || InRecord(sound, item)) {
        EXPECT_EQ(UsedNotSo(told, item, sound, outcome.saved), "") << outcome.told;
      }
      if (!outcome.saved.empty() && !damage.cut) {
        EXPECT_EQ(ValueLost(sound, item, outcome.saved, dependents), "") << outcome.saved;
      }
    }
  }
  // Every header mistyped: the section the reader does not know is named with its line.
  for (std::size_t start = 0, line = 1; start < sound.size(); start = sound.find('\n', start) + 1, ++line) {
    if (sound[start] != '[') continue;
    const std::string damaged = sound.substr(0, start + 1) + "q" + sound.substr(start + 1);
    const std::string header = Lower(damaged.substr(start, damaged.find('\n', start) - start));
    std::FILE *out = std::fopen(path.c_str(), "wb");
    std::fwrite(damaged.data(), 1, damaged.size(), out);
    std::fclose(out);
    const TOpenOutcome outcome = open(path);
    ++opened;
    const std::string told = Lower(outcome.told);
    EXPECT_TRUE(outcome.refused || (told.find(header) != std::string::npos &&
                                    told.find("line " + std::to_string(line)) != std::string::npos))
        << kindName << ", " << header << " on line " << line << ": " << outcome.told;
    if (sound.find('\n', start) == std::string::npos) break;
  }
  std::set<std::pair<std::string, std::string>> registered;
  for (const auto &entry : table) registered.insert(entry.first);
  return opened + CheckEveryLineDamage(kindName, sound, path, open, dependents, registered);
}

