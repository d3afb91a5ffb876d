// The NC address words of the machine with their last written values and
// scaling factors: one process-wide table, filled from the post-processor
// description and consulted while template fields are written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvento {

class AddressTable {
public:
    struct Word {
        std::string name;
        double lastValue = 1e10;  // 100000.0 after a reset: nothing written yet
        std::string formula;      // scaling formula, empty by default
        double factor = 1.0;
    };

    static AddressTable& Global();

    // Appends a word unless one of that name exists; leading blanks, CR and LF
    // are not part of the name.
    void AddWord(std::string_view name);
    void SetFormula(std::string_view name, std::string formula);
    // Before a program is written: last values forgotten, factors recomputed
    // by the evaluator (a value of about zero leaves the factor at 1.0).
    int Reset(int mode, const std::function<bool(const std::string& formula, double& value)>& evaluate = {});
    // The longest word that ends the line (trailing blanks ignored) and begins
    // after start. It hands back its last value in value, stores the new value
    // times its factor (100000.0 for suffix 'f') and gives the scaled value.
    // Null when no word ends the line.
    const std::string* FindWord(std::string_view line, int& start, double& value, char suffix, double& scaled);
    // The last written value of the word with exactly that name, or null.
    const double* LastValue(std::string_view name) const;
    void SaveValues();
    void RestoreValues();
    // Every word's last value forgotten: the next field of each is written.
    void ForgetValues();
    void Clear();

    const std::vector<Word>& Words() const { return words_; }
    // Puts back a table taken from Words() (its last values with it).
    void SetWords(std::vector<Word> words) { words_ = std::move(words); }

private:
    std::vector<Word> words_;
    std::vector<Word> saved_;
};

}  // namespace zarvento
