#pragma once
// A script as the archiver mpq2k.exe reads it: one command a line, its letter in either case first;
// CR, LF and CR LF all end a line; empty lines and lines whose first character other than a space
// is ";" are skipped. Words are separated by spaces only (a tab is part of a word); a word that
// begins with a double or single quote runs to the same quote, or to the line's end when it isn't
// closed; a quote inside a word is a letter like any other.
#include <string>
#include <vector>

struct ScriptCommand {
    int line;                        // counted from 1, skipped lines included
    std::vector<std::string> words;  // the command, then its arguments; never empty
};

std::vector<ScriptCommand> ScriptCommands(const std::string& script);

// The command's letter in small case; 0 when its first word is no single letter.
char CommandLetter(const ScriptCommand& command);
