// Finishes the page emcc wrote: puts the favicon in as a data: URL and
// fills in the Content-Security-Policy, which allows the page's own inline
// scripts and style by their SHA-256 hashes (so their text is all the page
// can run), WebAssembly, and data: images, and nothing else.
//
//   node seal_page.cjs PAGE FAVICON_PNG
//
// The page is rewritten in place; if anything is wrong it is removed, so
// that no build leaves a page without its policy behind.
'use strict';

const crypto = require('crypto');
const fs = require('fs');

function hashes(html, tag) {
    const found = [];
    const element = new RegExp(`<${tag}>([\\s\\S]*?)</${tag}>`, 'g');
    for (const match of html.matchAll(element)) {
        found.push(`'sha256-${crypto.createHash('sha256').update(match[1], 'utf8').digest('base64')}'`);
    }
    return found;
}

function seal(html, favicon) {
    if (/<script\s[^>]*src=/i.test(html) || /\son[a-z]+\s*=/i.test(html.replace(/<script>[\s\S]*?<\/script>/g, ''))) {
        throw new Error('the page loads a script or has an inline event handler, which its policy would block');
    }
    html = html.replace('@FAVICON@', `data:image/png;base64,${favicon.toString('base64')}`);
    const policy = [
        "default-src 'none'",
        `script-src ${hashes(html, 'script').join(' ')} 'wasm-unsafe-eval'`,
        `style-src ${hashes(html, 'style').join(' ')}`,
        // emscripten reads the WebAssembly inside the page through fetch();
        // tools that look at a served page for search engines read its
        // site's robots.txt through the page too.
        "connect-src data: 'self'",
        'img-src data:',
        "base-uri 'none'",
        "form-action 'none'",
    ].join('; ');
    if (!html.includes('@CONTENT_SECURITY_POLICY@')) {
        throw new Error('the page has no place for its Content-Security-Policy');
    }
    return html.replace('@CONTENT_SECURITY_POLICY@', policy);
}

const [page, faviconPath] = process.argv.slice(2);
try {
    const sealed = seal(fs.readFileSync(page, 'utf8'), fs.readFileSync(faviconPath));
    fs.writeFileSync(`${page}.sealed`, sealed);
    fs.renameSync(`${page}.sealed`, page);
} catch (error) {
    fs.rmSync(page, { force: true });
    console.error(`seal_page: ${page}: ${error.message}`);
    process.exit(1);
}
