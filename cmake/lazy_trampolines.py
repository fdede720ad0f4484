#!/usr/bin/python3
"""Writes the stand-ins of a set of shared libraries' functions: each one
jumps through a slot that first holds a resolver, which opens the libraries
and puts the real function into the slot. x86-64, System V calling
convention: the resolver keeps every argument register.

usage: lazy_trampolines.py OUTPUT PREFIX EXCLUDED,NAMES LIBRARY...
"""
import subprocess
import sys


def soname(path):
    for line in subprocess.run(["objdump", "-p", path], capture_output=True, text=True, check=True).stdout.splitlines():
        fields = line.split()
        if len(fields) == 2 and fields[0] == "SONAME":
            return fields[1]
    sys.exit("lazy_trampolines: no SONAME in " + path)


def functions(path):
    out = subprocess.run(["nm", "-D", "--defined-only", path], capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        fields = line.split()
        if len(fields) == 3 and fields[1] == "T":
            yield fields[2].split("@")[0]


def main():
    output, prefix, excluded = sys.argv[1], sys.argv[2], set(sys.argv[3].split(","))
    libraries = sys.argv[4:]
    names, owners, seen = [], [], set()
    for index, path in enumerate(libraries):
        for name in sorted(functions(path)):
            if name in excluded or name in seen:
                continue
            seen.add(name)
            names.append(name)
            owners.append(index)
    p = prefix
    lines = ["// Made by cmake/lazy_trampolines.py at build time; not to be edited.", "#include <cstddef>", ""]
    lines.append('extern "C" {')
    lines.append("extern const char* const %s_sonames[] = {%s};" % (p, ", ".join('"%s"' % soname(x) for x in libraries)))
    lines.append("extern const std::size_t %s_library_count = %d;" % (p, len(libraries)))
    lines.append("extern const char* const %s_names[] = {" % p)
    lines += ['    "%s",' % name for name in names]
    lines.append("};")
    lines.append("extern const unsigned char %s_owners[] = {%s};" % (p, ", ".join(str(o) for o in owners)))
    lines.append("void* %s_resolve(unsigned index);" % p)
    lines.append("}")
    lines.append("")
    lines.append('asm(R"(')
    lines.append("    .pushsection .data")
    lines.append("    .balign 8")
    lines.append("    .globl %s_slots" % p)
    lines.append("    .hidden %s_slots" % p)
    lines.append("%s_slots:" % p)
    lines += ["    .quad %s_stub_%d" % (p, i) for i in range(len(names))]
    lines.append("    .popsection")
    lines.append("    .pushsection .text")
    for i, name in enumerate(names):
        lines += ["    .globl %s" % name, "    .hidden %s" % name, "    .type %s, @function" % name,
                  "%s:" % name, "    jmp *%s_slots+%d(%%rip)" % (p, 8 * i),
                  "%s_stub_%d:" % (p, i), "    movl $%d, %%r11d" % i, "    jmp %s_common" % p]
    # Keeps the argument registers (and %al, the vector count of variadic
    # calls), asks for the function and jumps to it.
    lines += [
        "%s_common:" % p,
        "    pushq %rbp", "    movq %rsp, %rbp",
        "    pushq %rdi", "    pushq %rsi", "    pushq %rdx", "    pushq %rcx", "    pushq %r8", "    pushq %r9",
        "    pushq %rax", "    subq $136, %rsp",
    ]
    lines += ["    movdqu %%xmm%d, %d(%%rsp)" % (r, 16 * r) for r in range(8)]
    lines += ["    movl %r11d, %edi", "    call %s_resolve@PLT" % p, "    movq %rax, %r11"]
    lines += ["    movdqu %d(%%rsp), %%xmm%d" % (16 * r, r) for r in range(8)]
    lines += [
        "    addq $136, %rsp",
        "    popq %rax", "    popq %r9", "    popq %r8", "    popq %rcx", "    popq %rdx", "    popq %rsi", "    popq %rdi",
        "    popq %rbp", "    jmp *%r11",
        "    .popsection",
        ')");',
    ]
    with open(output, "w") as f:
        f.write("\n".join(lines) + "\n")


main()
