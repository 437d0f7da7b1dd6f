// The texts of -h/--help, --version and a refused command line.
#pragma once

// program is "mevroc" or "sudel"; variant says which iteration it runs.
void print_help(const char* program, const char* variant);
void print_version(const char* program);
// On standard error: "PROGRAM: MESSAGE", the usage line and where to find more.
void print_usage_error(const char* program, const char* message);
