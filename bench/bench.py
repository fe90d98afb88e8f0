"""Python side by side: the same payloads through the module's compiled
classes, through the C++ backend's dynamic messages, through the pure-Python
backend, and (for reference) through the C++ benchmark.

    bench.py --cpp-bench BUILD/bench/skelvar_bench --descriptor-set BUILD/skelvar.desc
    bench.py --smoke ...        one short pass: checks that everything runs

Each implementation runs in a worker process of its own, so that none sees
the others' classes: "compiled" imports skelvar and takes the classes from
the default pool; "dynamic" and "python" load the descriptor set that protoc
writes at build time into a pool of their own and never import skelvar.
The rounds are interleaved (every implementation measures every operation
once per round, in rotating order) and each time is the best of the rounds,
shown with its spread ((worst - best) / best), since one process's times
vary with what the machine does meanwhile.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

IMPLEMENTATIONS = ("compiled", "dynamic", "python")
# Operations measured in Python, under the C++ benchmark's names for them.
OPERATIONS = ("parse_fresh", "parse_reused", "bytesize", "serialize", "copy")
# Rows of the table: the C++ benchmark also parses onto an arena and copies
# through Message::CopyFrom, which Python has no road to.
ROWS = ("parse_fresh", "parse_reused", "parse_arena", "bytesize", "serialize", "copy",
        "copy_generic")
# What is asked of the ~1 MB upload (shown in the summary, never asserted):
# (operation, numerator, denominator, ">=" or "<=", bound) on the best times.
TARGETS = (
    ("parse_fresh", "dynamic", "compiled", ">=", 2.5),
    ("serialize", "dynamic", "compiled", ">=", 10),
    ("parse_fresh", "python", "compiled", ">=", 40),
    ("parse_fresh", "compiled", "c++", "<=", 1.2),
)


# ---------------------------------------------------------------- worker side

def load_classes(impl, descriptor_set, type_names):
    """The message classes of type_names, as implementation impl provides them."""
    from google.protobuf.internal import api_implementation
    from google.protobuf import descriptor_pool, message_factory

    expected_backend = "python" if impl == "python" else "cpp"
    if api_implementation.Type() != expected_backend:
        sys.exit(f"{impl} worker: protobuf backend is {api_implementation.Type()}, "
                 f"expected {expected_backend}")
    if impl == "compiled":
        import skelvar  # noqa: F401  (registers the compiled classes)
        pool = descriptor_pool.Default()
    else:
        from google.protobuf import descriptor_pb2
        with open(descriptor_set, "rb") as f:
            files = descriptor_pb2.FileDescriptorSet.FromString(f.read())
        pool = descriptor_pool.DescriptorPool()
        for file_proto in files.file:  # imports come first in the set
            pool.Add(file_proto)
        if "skelvar" in sys.modules:
            sys.exit(f"{impl} worker: skelvar was imported")
    factory = message_factory.MessageFactory(pool)
    return {name: factory.GetPrototype(pool.FindMessageTypeByName(name)) for name in type_names}


class Subject:
    """One payload in one implementation: its class, bytes, and parsed objects."""

    def __init__(self, cls, wire):
        self.cls = cls
        self.wire = wire
        self.message = cls.FromString(wire)
        # Every implementation must write back the very bytes it read.
        if self.message.SerializeToString() != wire:
            raise SystemExit(f"{cls.DESCRIPTOR.full_name}: bytes differ after a round trip")
        self.reused = cls()
        self.copy = cls()

    def operation(self, name):
        """A function running operation name once."""
        cls, wire, message, reused, copy = self.cls, self.wire, self.message, self.reused, self.copy
        return {
            "parse_fresh": lambda: cls.FromString(wire),
            "parse_reused": lambda: reused.ParseFromString(wire),  # clears first
            "bytesize": message.ByteSize,
            "serialize": message.SerializeToString,
            "copy": lambda: copy.CopyFrom(message),
        }[name]


def seconds_per_call(fn, budget):
    """Seconds per call of fn, over as many calls as fit in about budget
    seconds (at least one). The collector is off while timing, as in timeit."""
    import gc
    start = time.perf_counter()
    fn()
    first = time.perf_counter() - start
    calls = max(1, int(budget / max(first, 1e-9)))
    gc.disable()
    try:
        start = time.perf_counter()
        for _ in range(calls):
            fn()
        elapsed = time.perf_counter() - start
    finally:
        gc.enable()
    return elapsed / calls


def worker(impl, payload_dir, descriptor_set):
    """Answers the coordinator: one JSON request per line on stdin,
    {"payload", "operation", "budget"}; one JSON line back with the seconds."""
    payloads = read_manifest(payload_dir)
    classes = load_classes(impl, descriptor_set, [t for _, t in payloads])
    subjects = {}
    for name, type_name in payloads:
        with open(os.path.join(payload_dir, name + ".pb"), "rb") as f:
            subjects[name] = Subject(classes[type_name], f.read())
    print(json.dumps({"ready": impl}), flush=True)
    for line in sys.stdin:
        request = json.loads(line)
        fn = subjects[request["payload"]].operation(request["operation"])
        print(json.dumps({"seconds": seconds_per_call(fn, request["budget"])}), flush=True)


# ----------------------------------------------------------- coordinator side

def read_manifest(payload_dir):
    """[(name, type name)] from the manifest the C++ benchmark writes."""
    with open(os.path.join(payload_dir, "payloads.txt")) as f:
        return [tuple(line.split()) for line in f if line.strip()]


class Worker:
    def __init__(self, impl, args):
        env = dict(os.environ)
        if impl == "python":
            env["PROTOCOL_BUFFERS_PYTHON_IMPLEMENTATION"] = "python"
        self.impl = impl
        self.proc = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), "--worker", impl,
             "--payloads", args.payloads, "--descriptor-set", args.descriptor_set],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env, text=True)
        self._read()  # ready

    def _read(self):
        line = self.proc.stdout.readline()
        if not line:
            raise SystemExit(f"{self.impl} worker ended (exit status {self.proc.wait()})")
        return json.loads(line)

    def measure(self, payload, operation, budget):
        self.proc.stdin.write(json.dumps(
            {"payload": payload, "operation": operation, "budget": budget}) + "\n")
        self.proc.stdin.flush()
        return self._read()["seconds"]

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


def run_cpp(cpp_bench, min_time):
    """One run of the C++ benchmark: {(operation, payload): seconds}."""
    out = subprocess.run(
        [cpp_bench, f"--benchmark_min_time={min_time}", "--benchmark_format=json"],
        check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
    times = {}
    for b in json.loads(out)["benchmarks"]:
        operation, payload = b["name"].split("/", 1)
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
        times[(operation, payload)] = b["real_time"] * scale
    return times


def measure(args, payloads):
    """{(impl, operation, payload): [seconds per round]}, rounds interleaved.
    A first round, not kept, warms the workers up (except in a smoke run)."""
    samples = {}
    workers = [Worker(impl, args) for impl in IMPLEMENTATIONS]
    try:
        for r in range(0 if args.smoke else -1, args.rounds):
            if args.cpp_bench and r >= 0:
                for (operation, payload), t in run_cpp(args.cpp_bench, args.cpp_min_time).items():
                    samples.setdefault(("c++", operation, payload), []).append(t)
            for name, _ in payloads:
                for k, operation in enumerate(OPERATIONS):
                    shift = (r + k) % len(workers)  # who goes first rotates
                    for w in workers[shift:] + workers[:shift]:
                        t = w.measure(name, operation, args.budget)
                        if r >= 0:
                            samples.setdefault((w.impl, operation, name), []).append(t)
            print(f"round {r + 1}/{args.rounds} done" if r >= 0 else "warm-up done",
                  file=sys.stderr, flush=True)
    finally:
        for w in workers:
            w.close()
    return samples


def fmt_time(seconds):
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("us", 1e-6)):
        if seconds >= scale:
            return f"{seconds / scale:7.2f} {unit}"
    return f"{seconds / 1e-9:7.1f} ns"


def machine():
    """Core count and processor model, as the table's heading shows them."""
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo") as f:
            model = next(line.split(":", 1)[1].strip() for line in f
                         if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    return f"{os.cpu_count()} cores, {model}; load average {os.getloadavg()[0]:.1f}"


def report(samples, payloads, payload_dir, rounds):
    best = {key: min(ts) for key, ts in samples.items()}

    def cell(key):
        if key not in samples:
            return f"{'-':>16}"
        ts = samples[key]
        spread = (max(ts) - min(ts)) / min(ts) * 100
        return f"{fmt_time(min(ts))} ±{spread:3.0f}%"

    def ratio(a, b):
        """best[a] / best[b], or None when one of them was not measured."""
        return best[a] / best[b] if a in best and b in best else None

    def number(value, width, digits):
        return f"{'-':>{width}}" if value is None else f"{value:{width}.{digits}f}"

    columns = ("c++",) + IMPLEMENTATIONS
    print(f"machine: {machine()}")
    print(f"best of {rounds} interleaved rounds; ±: spread of the rounds, (worst - best) / best")
    print(f"{'payload':<10}{'bytes':>8} {'operation':<13}"
          + "".join(f"{c:>17}" for c in columns)
          + f"{'dyn/comp':>9}{'py/comp':>8}{'comp/C++':>9}{'comp MB/s':>10}")
    for name, _ in payloads:
        size = os.path.getsize(os.path.join(payload_dir, name + ".pb"))
        for operation in ROWS:
            key = {c: (c, operation, name) for c in columns}
            comp = key["compiled"]
            mbps = size / best[comp] / 1e6 if comp in best else None
            print(f"{name:<10}{size:>8} {operation:<13}"
                  + "".join(f" {cell(key[c])}" for c in columns)
                  + number(ratio(key["dynamic"], comp), 9, 2)
                  + number(ratio(key["python"], comp), 8, 1)
                  + number(ratio(comp, key["c++"]), 9, 2)
                  + number(mbps, 10, 0))
    upload = payloads[0][0]
    print(f"\ntargets ({upload}, best times):")
    for operation, num, den, compare, bound in TARGETS:
        value = ratio((num, operation, upload), (den, operation, upload))
        if value is None:
            verdict = "not measured"
        else:
            verdict = "met" if (value >= bound if compare == ">=" else value <= bound) else "NOT MET"
        label = f"{operation}: {num} / {den} {compare} {bound}"
        print(f"  {label:<40}{number(value, 7, 2)}  {verdict}")
    print("(the pure-Python backend keeps the size of an unchanged message: its bytesize is a"
          " cached value)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--payloads", help="payload directory (written by the C++ benchmark)")
    parser.add_argument("--descriptor-set", required=True, help="BUILD/skelvar.desc")
    parser.add_argument("--cpp-bench", help="the C++ benchmark: writes the payloads and "
                        "runs once per round for the C++ column")
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--budget", type=float, default=0.1,
                        help="seconds per measurement (at least one call)")
    parser.add_argument("--cpp-min-time", type=float, default=0.1)
    parser.add_argument("--smoke", action="store_true", help="one short round")
    parser.add_argument("--worker", choices=IMPLEMENTATIONS, help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.worker:
        return worker(args.worker, args.payloads, args.descriptor_set)
    if not (args.cpp_bench or args.payloads):
        parser.error("give --cpp-bench (which writes the payloads) or --payloads")
    if args.smoke:
        args.rounds, args.budget, args.cpp_min_time = 1, 0.0, 0.0001
    with tempfile.TemporaryDirectory() as scratch:
        if args.payloads is None:
            args.payloads = scratch
        if args.cpp_bench:
            subprocess.run([args.cpp_bench, f"--write_payloads={args.payloads}",
                            "--benchmark_list_tests=true"], check=True, stdout=subprocess.DEVNULL)
        payloads = read_manifest(args.payloads)
        samples = measure(args, payloads)
        report(samples, payloads, args.payloads, args.rounds)


if __name__ == "__main__":
    main()
