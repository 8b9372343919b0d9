#include "grid/decoder.h"

#include <string>
#include <vector>

#include "run/console.h"
#include "text/fields.h"

namespace tallowgate {

void set_decoder_parts(RunState* state) {
  state->decoder_name = "wgrib2";
  state->decoder_option = " -text";
}

Text<20> dump_name(int year, int month, int day, int hour) {
  std::string name = "temp_";
  append_int(&name, year, 4, 4);
  append_int(&name, month, 2, 2);
  append_int(&name, day, 2, 2);
  append_int(&name, hour, 3, 3);
  name += ".txt";
  return Text<20>(name);
}

Text<kDecoderCommandLength> decoder_command(Platform* platform, const RunState& state, const Text<20>& dump,
                                            const Text<256>& file_name) {
  const std::string_view name = file_name.trimmed();
  if (name.size() > kMaxDecodedNameLength) {
    throw IoError{platform->local_path(name), "file name longer than " +
                                                  std::to_string(kMaxDecodedNameLength) +
                                                  " characters does not fit the decoder command"};
  }
  std::string command;
  command.reserve(kDecoderCommandLength);
  command.append(state.decoder_name.columns(1, 6));
  command += ' ';
  command.append(state.decoder_option.view());
  command += "  ";
  command.append(dump.view());
  command += "  ";
  command.append(name);
  return Text<kDecoderCommandLength>(command);
}

bool run_decoder(Platform* platform, const RunState& state, const Text<20>& dump) {
  const Text<256>& file_name = state.FLN[static_cast<std::size_t>(state.file_index - 1)];

  std::string line = "Processing file #";
  append_int(&line, state.file_index, 5);
  line += '/';
  append_int(&line, state.file_count, 5);
  append_int(&line, state.file_year, 6, 4);
  append_int(&line, state.file_month, 3, 2);
  append_int(&line, state.file_day, 3, 2);
  append_int(&line, state.file_hour, 3, 2);
  line += 'Z';
  platform->write_out(line);

  if (!platform->file_exists(file_name.trimmed())) return false;

  write_free_line(platform, state.decoder_name.view());
  write_free_line(platform, state.decoder_option.view());
  write_free_line(platform, dump.view());
  line.clear();
  FreeLine(&line).integer(state.file_index);
  platform->write_out(line);
  write_free_line(platform, file_name.columns(1, 72));

  write_free_line(platform, decoder_command(platform, state, dump, file_name).view());

  // A dump left by an earlier run must never pass for this file's grid, and
  // a link at its name (dangling or not) must not lead the decoder's writes
  // out of the working directory: whatever stands there goes, unfollowed.
  std::string err;
  if (!platform->remove_file(dump.trimmed(), &err)) throw IoError{platform->local_path(dump.trimmed()), err};

  const std::vector<std::string> args{"-text", std::string(dump.trimmed()), std::string(file_name.trimmed())};
  if (!platform->run_program(state.decoder_name.trimmed(), args, &err)) {
    platform->write_err("tallowgate: cannot start the decoder " + std::string(state.decoder_name.trimmed()) +
                        ": " + err);
  }
  return true;
}

}  // namespace tallowgate
