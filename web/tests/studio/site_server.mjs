// The site served by web/serve.py on a free port of 127.0.0.1, as the web
// player's own tests serve it.
import { spawn } from 'node:child_process';
import { fileURLToPath } from 'node:url';

const servePy = fileURLToPath(new URL('../../serve.py', import.meta.url));

export function serveSite(root) {
  const server = spawn('python3', [servePy, root, '--port', '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    let out = '';
    server.once('exit', (code) => reject(new Error(`serve.py ended with status ${code}`)));
    server.stdout.on('data', (chunk) => {
      out += chunk;
      if (!out.includes('\n')) return;
      resolve({
        url: out.split('\n')[0].trim().replace(/\/$/, ''),
        close: () => new Promise((r) => { server.once('exit', r); server.kill(); }),
      });
    });
  });
}
