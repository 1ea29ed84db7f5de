#include "dialogue/answers.h"

namespace quaven {
AnswerReader::AnswerReader(std::istream& in) : in_(in) {}
ReadResult AnswerReader::read_integers(int*, int) { return {ReadStatus::end_of_input, {}}; }  // to come
ReadResult AnswerReader::read_reals(float*, int) { return {ReadStatus::end_of_input, {}}; }
ReadResult AnswerReader::read_name(std::string&) { return {ReadStatus::end_of_input, {}}; }
}  // namespace quaven
