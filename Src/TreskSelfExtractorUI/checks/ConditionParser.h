#pragma once
// Decides whether a condition expression holds once every condition has its result. The text
// itself is rewritten: each condition name becomes T or F, blanks go, and a fixed table of rules
// shrinks the text until one letter is left.

#include <cstdint>
#include <list>
#include <map>
#include <string>

// Results of Reduce.
enum : int {
    REDUCE_TRUE = 1,         // the text reduced to "T"
    REDUCE_FALSE = 0,        // it reduced to another single letter
    REDUCE_STUCK = -1,       // the rules cannot shrink it further (undefined names, stray words)
    REDUCE_UNBALANCED = -2,  // the numbers of "(" and ")" differ; nothing was replaced
};

class CQirvaConditionParser {
public:
    virtual ~CQirvaConditionParser() = default;

    // results: condition number to result (1 fulfilled, anything else not). Every name replaced
    // in the text ("CONDITION7") is added at the front of referencedNames.
    int Reduce(const std::wstring& expression, const std::map<int32_t, int32_t>& results,
               std::list<std::wstring>& referencedNames);
};
