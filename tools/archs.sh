# Sourced by the top-level scripts: the two Windows builds of the module and
# which of them this machine can run.
#
# The 64-bit build always runs (Debian's wine64). The 32-bit one needs a
# kernel that executes 32-bit programs, which some x86-64 kernels do not:
# that is tried with a tiny 32-bit program, never guessed from the CPU.

# build/win holds the 32-bit build, build/win64 the 64-bit one.
arch_build_dir() {
    case $1 in
        32) echo "$root/build/win" ;;
        64) echo "$root/build/win64" ;;
    esac
}

arch_toolchain() {
    case $1 in
        32) echo "$root/cmake/mingw-i686.cmake" ;;
        64) echo "$root/cmake/mingw-x86_64.cmake" ;;
    esac
}

# configure_arch BITS: configures the build tree of BITS (quietly).
configure_arch() {
    cmake -S "$root" -B "$(arch_build_dir "$1")" -DCMAKE_TOOLCHAIN_FILE="$(arch_toolchain "$1")" \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
}

# True when a 32-bit x86 program runs here; otherwise says why in $arch_32_reason.
runs_32bit_programs() {
    local scratch status=0
    scratch=$(mktemp -d)
    printf '.globl _start\n_start:\n mov $1, %%eax\n mov $0, %%ebx\n int $0x80\n' >"$scratch/exit.s"
    if ! as --32 "$scratch/exit.s" -o "$scratch/exit.o" 2>/dev/null ||
       ! ld -m elf_i386 "$scratch/exit.o" -o "$scratch/exit" 2>/dev/null; then
        arch_32_reason="cannot make a 32-bit test program (as --32, ld -m elf_i386)"
        status=1
    elif ! arch_32_reason=$("$scratch/exit" 2>&1); then
        # bash says "PATH: cannot execute binary file: Exec format error".
        arch_32_reason="this machine's kernel does not run 32-bit programs (${arch_32_reason##*: })"
        status=1
    elif [ ! -x /usr/lib/wine/wine ]; then
        arch_32_reason="32-bit Wine (wine32:i386) is not installed"
        status=1
    fi
    rm -rf "$scratch"
    return $status
}

# choose_archs: sets run_archs to the builds whose programs run here, the
# 32-bit one first, and skipped_archs_note to a plain line for the one left
# out. TALVO_ARCHS=32 or TALVO_ARCHS=64 picks one.
choose_archs() {
    run_archs=""
    skipped_archs_note=""
    local wanted=${TALVO_ARCHS:-32 64}
    case " $wanted " in
        *" 32 "*)
            if runs_32bit_programs; then
                run_archs="32"
            else
                skipped_archs_note="32-bit: not run: $arch_32_reason"
            fi
            ;;
        *) skipped_archs_note="32-bit: not run: TALVO_ARCHS=$wanted" ;;
    esac
    case " $wanted " in
        *" 64 "*) run_archs="${run_archs:+$run_archs }64" ;;
        *) skipped_archs_note="64-bit: not run: TALVO_ARCHS=$wanted" ;;
    esac
}

# kill_wineservers: ends the Wine servers of both build trees' prefixes.
kill_wineservers() {
    local bits
    for bits in 32 64; do
        WINEPREFIX="$(arch_build_dir $bits)/wineprefix" wineserver -k 2>/dev/null || true
    done
}
