// Serves the web build's site folder on this machine only (127.0.0.1), each
// file with the type a browser needs (application/wasm for the program).
//   node web/serve.mjs FOLDER [PORT]    (port 0, the default, takes a free one)
// Prints the address once it listens. The browser test starts it too.
import http from "node:http";
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

const types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript",
  ".mjs": "text/javascript",
  ".wasm": "application/wasm",
  ".data": "application/octet-stream",
};

export function serve(folder, port = 0) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    let wanted = "";
    try {
      wanted = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
    } catch {
      // A broken escape names no file.
    }
    const file = path.join(root, wanted.endsWith("/") ? wanted + "index.html" : wanted);
    // Nothing outside the folder, however the path is spelt.
    const found = fs.statSync(file, { throwIfNoEntry: false })?.isFile();
    if (!file.startsWith(root + path.sep) || !found) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {
      "Content-Type": types[path.extname(file)] ?? "application/octet-stream",
      "Cache-Control": "no-store",
    });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(port, "127.0.0.1", () => resolve(server));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [folder, port] = process.argv.slice(2);
  const server = await serve(folder ?? ".", Number(port ?? 0));
  console.log(`Orvane is served at http://127.0.0.1:${server.address().port}/ (Ctrl-C ends it)`);
}
