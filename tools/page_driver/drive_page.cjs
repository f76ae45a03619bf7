// Opens the page in Debian's chromium, headless, with WebGL drawn by
// SwiftShader in software, and reports what it does.
//
//   node drive_page.cjs --page FILE [--seconds S] [--scale RATIO]
//                       [--frames DIR] [--screenshot FILE] [--bench]
//
// Prints every trace line the page prints on standard output as it comes.
// With --seconds it stops that long after the first tick (otherwise on
// SIGTERM).
// --scale sets the device pixel ratio (default 1).
// --frames DIR copies the canvas out about every 170 ms and writes
//   DIR/frame-NN.png and DIR/frames.txt ("FILE BEFORE AFTER": how many trace
//   lines the page had printed just before and just after the copy).
// --screenshot FILE writes a picture of the whole page at the end.
// --bench then also runs a bare 50 ms timer chain in the same browser for
//   as long, and prints the tick periods of both instead of the trace.
'use strict';

const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');

function parse(argv) {
    const options = { seconds: 0, scale: 1 };
    for (let i = 2; i < argv.length; ++i) {
        const name = argv[i].replace(/^--/, '');
        if (name === 'bench') {
            options.bench = true;
        } else if (['page', 'seconds', 'scale', 'frames', 'screenshot'].includes(name) && i + 1 < argv.length) {
            options[name] = argv[++i];
        } else {
            throw new Error(`unknown argument ${argv[i]}`);
        }
    }
    if (!options.page) {
        throw new Error('--page FILE is needed');
    }
    options.seconds = Number(options.seconds);
    options.scale = Number(options.scale);
    return options;
}

// Runs in the page before its own scripts. The canvas keeps what was drawn
// (WebGL clears it after each frame otherwise, and a copy taken between
// frames would be black), and every line given to the page's print is
// recorded with its time and handed to the driver.
function instrumentPage() {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, attributes) {
        return getContext.call(this, type, Object.assign({}, attributes, { preserveDrawingBuffer: true }));
    };
    window.traceTimes = [];
    let module;
    Object.defineProperty(window, 'Module', {
        configurable: true,
        get() { return module; },
        set(value) {
            if (value && value.print && !value.print.traced) {
                const print = value.print;
                value.print = function (text) {
                    window.traceTimes.push(performance.now());
                    window.traceLine(text);
                    print(text);
                };
                value.print.traced = true;
            }
            module = value;
        },
    });
}

// A bare timer chain: the floor for a 50 ms tick in this browser.
function timerChain(milliseconds) {
    return new Promise((resolve) => {
        const times = [];
        const end = performance.now() + milliseconds;
        const tick = () => {
            times.push(performance.now());
            if (performance.now() < end) {
                setTimeout(tick, 50);
            } else {
                resolve(times);
            }
        };
        setTimeout(tick, 0);
    });
}

function periods(times) {
    const gaps = [];
    for (let i = 1; i < times.length; ++i) {
        gaps.push(times[i] - times[i - 1]);
    }
    const sorted = [...gaps].sort((a, b) => a - b);
    const mean = gaps.reduce((a, b) => a + b, 0) / gaps.length;
    const p99 = sorted[Math.min(sorted.length - 1, Math.ceil(0.99 * sorted.length) - 1)];
    return { ticks: gaps.length, mean, p99 };
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function main() {
    const options = parse(process.argv);
    const browser = await puppeteer.launch({
        executablePath: '/usr/bin/chromium',
        headless: true,
        userDataDir: fs.mkdtempSync(path.join(require('os').tmpdir(), 'morvane-chromium-')),
        args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--use-angle=swiftshader', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync',
               '--disable-quic', '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
    });
    let stopping = false;
    const stop = async (status) => {
        if (!stopping) {
            stopping = true;
            await browser.close();
            process.exit(status);
        }
    };
    process.on('SIGTERM', () => stop(0));
    process.on('SIGINT', () => stop(0));
    try {
        const page = await browser.newPage();
        page.on('pageerror', (error) => console.error(`page error: ${error.message}`));
        await page.setViewport({ width: 900, height: 560, deviceScaleFactor: options.scale });
        await page.exposeFunction('traceLine', (text) => {
            if (!options.bench) {
                process.stdout.write(`${text}\n`);
            }
        });
        await page.evaluateOnNewDocument(instrumentPage);
        await page.goto(`file://${path.resolve(options.page)}`);
        // The time counts from the first tick, once the program runs.
        await page.waitForFunction(() => window.traceTimes.length > 0, { timeout: 60000 });

        const started = Date.now();
        const frames = [];
        while (options.seconds <= 0 || Date.now() - started < options.seconds * 1000) {
            if (options.frames) {
                frames.push(await page.evaluate(() => {
                    const before = window.traceTimes.length;
                    const data = document.getElementById('canvas').toDataURL('image/png');
                    return { before, data, after: window.traceTimes.length };
                }));
            }
            await sleep(130 + 40 * (frames.length % 3));
        }
        if (options.frames) {
            fs.mkdirSync(options.frames, { recursive: true });
            const index = frames.map((frame, i) => {
                const name = `frame-${String(i).padStart(2, '0')}.png`;
                fs.writeFileSync(path.join(options.frames, name), Buffer.from(frame.data.split(',')[1], 'base64'));
                return `${name} ${frame.before} ${frame.after}\n`;
            });
            fs.writeFileSync(path.join(options.frames, 'frames.txt'), index.join(''));
        }
        if (options.screenshot) {
            await page.screenshot({ path: options.screenshot });
        }
        if (options.bench) {
            const pagePeriods = periods((await page.evaluate(() => window.traceTimes)).slice(1));
            const blank = await browser.newPage();
            const chain = await blank.evaluate(timerChain, options.seconds * 1000);
            const format = (name, p) => `${name.padEnd(28)}${p.ticks.toString().padStart(7)}` +
                `${p.mean.toFixed(2).padStart(12)}${p.p99.toFixed(2).padStart(12)}`;
            const floor = periods(chain);
            console.log(`${''.padEnd(28)}${'ticks'.padStart(7)}${'mean (ms)'.padStart(12)}${'p99 (ms)'.padStart(12)}`);
            console.log(format('morvane.html', pagePeriods));
            console.log(format('bare 50 ms timer chain', floor));
            console.log(`mean tick period against the timer chain: ${(100 * (pagePeriods.mean / floor.mean - 1)).toFixed(2)} %`);
        }
        await stop(0);
    } catch (error) {
        console.error(`drive_page: ${error.message}`);
        await stop(1);
    }
}

main().catch((error) => {
    console.error(`drive_page: ${error.message}`);
    process.exit(1);
});
