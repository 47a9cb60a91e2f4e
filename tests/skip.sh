# Sourced by the test scripts. skip WHY says SKIPPED and why, and exits 77, which CTest counts
# as skipped; with VELLUM_REQUIRE_ALL=1 (CI sets it) nothing may be skipped, and it fails.
skip() {
    if [ "${VELLUM_REQUIRE_ALL:-}" = 1 ]; then
        echo "FAILED: $* (VELLUM_REQUIRE_ALL=1 allows no skip)"
        exit 1
    fi
    echo "SKIPPED: $*"
    exit 77
}
